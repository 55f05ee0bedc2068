#include "fill/strgeo.h"

#include <cmath>

#include "fill/trig.h"

int STRLEN(const char* s) {
    int n = 0;
    while (n < PATTERN_MAX + 1 && s[n] != '\0') n++;
    return n;
}

int STRCPY(char* dst, const char* src) {
    // The terminator follows every copied byte: when the first byte already
    // stops the copy, dst is left as it was.
    const int n = copy_text(dst, src, FILL_MAX, 1);
    if (n > 0) dst[n] = '\0';
    return n;
}

double PTDIST(double x1, double y1, double x2, double y2) {
    double sum = (x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1);
    return std::sqrt(sum);
}

double ptslope(double x1, double y1, double x2, double y2) {
    double dy = y2 - y1;
    double dx = x2 - x1;
    double a;
    fill_atan2(dy, dx, &a);
    return a;
}
