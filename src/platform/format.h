// printf-style formatting of our own, so that every build (Linux, 32- and
// 64-bit Windows) writes the same bytes for the same values.
//
// Conversions: %d %i (int), %u %x (unsigned int), %c, %s (NUL-terminated
// bytes), %f (double, fixed-point; an l length modifier is accepted and
// ignored), %%. Flags '-' and '0', a field width and a precision are honoured.
// Doubles go through std::to_chars, which rounds exactly as the C locale's
// printf does; infinities and NaNs print as "inf", "-inf", "nan", "-nan".
#pragma once

#include <cstdarg>

// Formats into out (capacity cap, cap >= 1), always NUL-terminating. Returns
// the number of bytes stored, without the terminator; output that does not
// fit is cut off.
int fmt_vformat(char* out, int cap, const char* fmt, va_list ap);
int fmt_format(char* out, int cap, const char* fmt, ...);

// Large enough for any one record or diagnostic line the program prints: the
// longest is eight doubles with twelve decimals at 1e308 (about 2.6 KiB).
enum { FMT_LINE_MAX = 8192 };
