#include "fill/strgeo.h"

#include <cmath>

#include "fill/trig.h"

int STRLEN(const char* s) {
    int n = 0;
    while (n < 257 && s[n] != '\0') n++;
    return n;
}

int STRCPY(char* dst, const char* src) {
    int n = 0;
    while (n < 250 && src[n] != '\0' && src[n] != '\n' && src[n] != '\r') {
        dst[n] = src[n];
        dst[n + 1] = '\0';
        n++;
    }
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
