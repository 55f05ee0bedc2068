// The fill's sine, cosine and two-argument arc tangent: one implementation
// for every build, in plain double arithmetic, so that the Linux and both
// Windows builds compute the same bits (the C libraries differ, and the
// Windows ones use the x87 unit). The results are the exact values correctly
// rounded but for rare cases within 1 ulp; the special values (zeros of both
// signs, infinities, NaN) are those of C's sin, cos and atan2.
#ifndef LINETEXT_FILL_TRIG_H
#define LINETEXT_FILL_TRIG_H

// On 32-bit x86 a double is returned on the x87 stack unless the function is
// told to use an SSE register.
#if defined(__i386__) && defined(__SSE2__)
#define TRIG_ABI __attribute__((sseregparm))
#else
#define TRIG_ABI
#endif

TRIG_ABI double fill_sin(double x);
TRIG_ABI double fill_cos(double x);
TRIG_ABI double fill_atan2(double y, double x);

#endif
