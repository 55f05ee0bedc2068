// The console through our own formatter, so that every build prints the same
// bytes.
#include "platform/console.h"

#include <cstdarg>

#include "platform/format.h"
#include "platform/os.h"

// A console line may echo one command-line argument whole: at most 131071
// bytes on Linux, 32767 on Windows.
enum { CON_LINE_MAX = FMT_LINE_MAX + (1 << 17) };

FMT_PRINTF(2, 0) static void con_vprint(int to_err, const char* fmt, va_list ap) {
    static char line[CON_LINE_MAX];
    int n = fmt_vformat(line, sizeof line, fmt, ap);
    if (to_err) os_stderr(line, n);
    else os_stdout(line, n);
}

void con_out(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    con_vprint(0, fmt, ap);
    va_end(ap);
}

void con_err(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    con_vprint(1, fmt, ap);
    va_end(ap);
}
