// The console streams, through the C library on every platform: the bytes go
// out as the platform's console takes them.
#include <cstdio>

#include "platform/os.h"

void os_stdout(const char* s, int n) { std::fwrite(s, 1, static_cast<size_t>(n), stdout); }

void os_stderr(const char* s, int n) {
    std::fflush(stdout);  // keeps the two streams in order on a shared console
    std::fwrite(s, 1, static_cast<size_t>(n), stderr);
}
