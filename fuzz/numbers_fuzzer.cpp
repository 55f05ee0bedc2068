// libFuzzer target: our own number conversions against the C library's.
//
// - scan_lf must read the decimal number at the start of a field (a sign,
//   digits with at most one point, an exponent) exactly as strtod reads that
//   number in the C locale: the same value bit for bit, or 0 of the right
//   sign where strtod flags an underflow, and the same end; and it must take
//   nothing where there is no such number or strtod's value is an infinity.
// - the formatter's %.Nf, %d, %u, %x and %s must give the bytes snprintf gives,
//   for values taken from the input's bytes.
//
// Input: the first byte picks the test; the rest is its data.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "decimal_end.h"
#include "format_into.h"
#include "input/fields.h"

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

    char number[512];
    const char* end = decimal_end(text);
    std::memcpy(number, text, static_cast<size_t>(end - text));
    number[end - text] = '\0';
    errno = 0;
    double libc = end == text ? 0.0 : std::strtod(number, nullptr);
    bool range = errno == ERANGE;
    char a[64], b[64];
    std::snprintf(a, sizeof a, "%d %a at %d", ok, ours, static_cast<int>(p - text));
    std::snprintf(b, sizeof b, "%a at %d", libc, static_cast<int>(end - text));
    if (end == text || std::isinf(libc)) {
        if (ok || ours != 12345.0 || p != text) finding("a field that is no finite decimal was converted", a, b);
        return;
    }
    if (!ok || p != end) finding("the field ends elsewhere", a, b);
    if (std::memcmp(&ours, &libc, sizeof ours) == 0) return;
    // Underflow: 0 of the right sign.
    if (range && ours == 0.0 && std::signbit(ours) == std::signbit(libc)) return;
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
    format_into(ours, sizeof ours, conv, v);
    std::snprintf(libc, sizeof libc, conv, v);
    if (std::strcmp(ours, libc) != 0) finding(conv, ours, libc);
    // the precisions the records use
    static const char* fixed[] = {"%.2f", "%.9f", "%.10f", "%.12f", "%.1f", "%f", "%.1lf"};
    for (const char* f : fixed) {
        format_into(ours, sizeof ours, f, v);
        std::snprintf(libc, sizeof libc, f, v);
        if (std::strcmp(ours, libc) != 0) finding(f, ours, libc);
    }
    int i, neg;
    std::memcpy(&i, data, sizeof i);
    neg = static_cast<int>(0u - static_cast<unsigned>(i));
    static const char* ints[] = {"%d", "%u", "%x", "%06x", "lc%d\n", "cn%d %d"};
    for (const char* f : ints) {
        format_into(ours, sizeof ours, f, i, neg);
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
