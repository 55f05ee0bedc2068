#include "fill/strgeo.h"

#include <cstring>

#include "fill/trig.h"
#include "output/records.h"

int STRLEN(const char* s) { return static_cast<int>(strnlen(s, PATTERN_MAX + 1)); }

int STRCPY(char* dst, const char* src) {
    // The terminator follows every copied byte: when the first byte already
    // stops the copy, dst is left as it was.
    const int n = copy_text(dst, src, FILL_MAX, 1);
    if (n > 0) dst[n] = '\0';
    return n;
}

// The same length as the line records' (a difference and its negation square
// alike).
double PTDIST(double x1, double y1, double x2, double y2) { return LengSen(x1, y1, x2, y2); }

double ptslope(double x1, double y1, double x2, double y2) {
    double dy = y2 - y1;
    double dx = x2 - x1;
    double a;
    fill_atan2(dy, dx, &a);
    return a;
}
