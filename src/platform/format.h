// printf-style formatting of our own, so that every build (Linux, 32- and
// 64-bit Windows) writes the same bytes for the same values.
//
// Only what the program's own formats use: %d (int), %u and %x (unsigned
// int), %c, %s (NUL-terminated bytes) and %f (double, fixed-point; an l
// length modifier is accepted and ignored). A width pads with zeros and only
// "%06x" has one; a precision is for %f. No flags, no %% and no other letter:
// a format with them prints wrong, and the tests compare each of the
// program's formats with the C library's.
// Doubles go through std::to_chars, which rounds exactly as the C locale's
// printf does; infinities and NaNs print as "inf", "-inf", "nan", "-nan".
#pragma once

#include <cstdarg>

// Marks a printf-style function, the format being argument f and its values
// starting at argument a (0 for a va_list), so that the compiler checks every
// call's format against its values. MinGW's plain printf means the Windows
// runtime's dialect; our formatter follows the C standard's.
#ifdef __MINGW32__
#define FMT_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define FMT_PRINTF(f, a) __attribute__((format(printf, f, a)))
#endif

// Formats into out (capacity cap, cap >= 1), always NUL-terminating. Returns
// the number of bytes stored, without the terminator; output that does not
// fit is cut off.
int fmt_vformat(char* out, int cap, const char* fmt, va_list ap) FMT_PRINTF(3, 0);

// Large enough for any one record or diagnostic line the program prints: the
// longest is eight doubles with twelve decimals at 1e308 (about 2.6 KiB).
enum { FMT_LINE_MAX = 8192 };
