// libFuzzer target: our own number conversions against the C library's.
//
// - scan_lf must read a field exactly as strtod does in the C locale: the
//   same value (bit for bit; any NaN for a NaN) and the same end, except that
//   a result strtod flags as out of range may be 0 or an infinity of the
//   right sign where strtod gives a subnormal or the largest double.
// - fmt_format's %.Nf, %d, %u, %x and %s must give the bytes snprintf gives,
//   for values taken from the input's bytes.
//
// Input: the first byte picks the test; the rest is its data.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "input/fields.h"
#include "platform/format.h"

namespace {

[[noreturn]] void finding(const char* what, const char* a, const char* b) {
    std::fprintf(stderr, "linetext numbers fuzz: %s\n  ours: [%s]\n  libc: [%s]\n", what, a, b);
    std::abort();
}

void check_scan(const uint8_t* data, size_t size) {
    char text[512];
    if (size > sizeof text - 1) size = sizeof text - 1;
    std::memcpy(text, data, size);
    text[size] = '\0';

    const char* p = text;
    double ours = 12345.0;
    int ok = scan_lf(&p, &ours);

    errno = 0;
    char* end;
    double libc = std::strtod(text, &end);
    bool range = errno == ERANGE;
    char a[64], b[64];
    std::snprintf(a, sizeof a, "%d %a at %d", ok, ours, static_cast<int>(p - text));
    std::snprintf(b, sizeof b, "%a at %d", libc, static_cast<int>(end - text));
    if (end == text) {
        if (ok || ours != 12345.0 || p != text) finding("a field strtod does not take was converted", a, b);
        return;
    }
    if (!ok || p != end) finding("the field ends elsewhere", a, b);
    if (std::isnan(libc)) {
        if (!std::isnan(ours)) finding("NaN expected", a, b);
        return;
    }
    if (std::memcmp(&ours, &libc, sizeof ours) == 0) return;
    if (range) {
        // Underflow: 0 of the right sign; overflow: an infinity of the right sign.
        bool tiny = std::fabs(libc) <= 2.2250738585072014e-308;
        if (tiny && ours == 0.0 && std::signbit(ours) == std::signbit(libc)) return;
        if (!tiny && std::isinf(ours) && std::signbit(ours) == std::signbit(libc)) return;
    }
    finding("a different value", a, b);
}

void check_format(const uint8_t* data, size_t size) {
    if (size < 10) return;
    double v;
    std::memcpy(&v, data, sizeof v);
    int prec = data[8] % 16;
    int width = data[9] % 24;
    char conv[32], ours[1024], libc[1024];
    std::snprintf(conv, sizeof conv, "%%%d.%df", width, prec);
    fmt_format(ours, sizeof ours, conv, v);
    std::snprintf(libc, sizeof libc, conv, v);
    if (std::strcmp(ours, libc) != 0) finding(conv, ours, libc);
    // the precisions the records use
    static const char* fixed[] = {"%.2f", "%.9f", "%.10f", "%.12f", "%.1f", "%f", "%.1lf"};
    for (const char* f : fixed) {
        fmt_format(ours, sizeof ours, f, v);
        std::snprintf(libc, sizeof libc, f, v);
        if (std::strcmp(ours, libc) != 0) finding(f, ours, libc);
    }
    int i, neg;
    std::memcpy(&i, data, sizeof i);
    neg = static_cast<int>(0u - static_cast<unsigned>(i));
    static const char* ints[] = {"%d", "%u", "%x", "%06x", "lc%d\n", "cn%d %d"};
    for (const char* f : ints) {
        fmt_format(ours, sizeof ours, f, i, neg);
        std::snprintf(libc, sizeof libc, f, i, neg);
        if (std::strcmp(ours, libc) != 0) finding(f, ours, libc);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) check_format(data + 1, size - 1);
    else check_scan(data + 1, size - 1);
    return 0;
}
