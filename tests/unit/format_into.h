// The formatter called as snprintf is, for the tests and the numbers fuzzer.
#pragma once

#include <cstdarg>

#include "platform/format.h"

FMT_PRINTF(3, 4) inline int format_into(char* out, int cap, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    int n = fmt_vformat(out, cap, fmt, ap);
    va_end(ap);
    return n;
}
