// The fill's sine, cosine and two-argument arc tangent: one implementation
// for every build, in plain double arithmetic, so that the Linux and both
// Windows builds compute the same bits (the C libraries differ, and the
// Windows ones use the x87 unit). The results are the exact values correctly
// rounded but for rare cases within 1 ulp, and zeros of both signs are those
// of C's sin, cos and atan2. The domain is what the fill asks: sine and cosine
// on [-pi, pi], atan2 on finite pairs; outside it the results are NaN.
#pragma once

// The results come back through pointers: a returned double would pass
// through the x87 stack on 32-bit x86.
void fill_sincos(double x, double* s, double* c);
void fill_atan2(double y, double x, double* a);
