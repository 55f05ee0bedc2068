// String and geometry helpers of the text fill. Text is Shift-JIS bytes,
// never converted.
#pragma once

#include "state/state.h"

// 1 if the byte at index i begins a two-byte character (0x81-0x9F, 0xE0-0xFC).
// Inline: the fill asks it for every byte it lays.
inline int SHIFTJIS(const char* s, int i) {
    unsigned c = static_cast<unsigned char>(s[i]);
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC) ? 1 : 0;
}
// Bytes before the first zero byte, counting no further than PATTERN_MAX + 1
// (the pattern text buffer's size).
int STRLEN(const char* s);
// Copies bytes until a zero byte, a line feed or a carriage return, at most
// FILL_MAX, storing a zero byte behind each copied byte; a copy that stops at
// the first byte leaves dst untouched. Returns the number copied.
int STRCPY(char* dst, const char* src);
// Euclidean distance between (x1, y1) and (x2, y2).
double PTDIST(double x1, double y1, double x2, double y2);
// Direction angle in radians from (x1, y1) to (x2, y2), in (-pi, pi].
double ptslope(double x1, double y1, double x2, double y2);
