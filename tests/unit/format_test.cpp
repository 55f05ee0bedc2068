// Our formatter against glibc's snprintf, which rounds exactly and prints
// infinities and NaNs ("inf", "-nan") the way our files must show them.
#include "platform/format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// The formatter called as snprintf is.
FMT_PRINTF(3, 4) int format_into(char* out, int cap, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    int n = fmt_vformat(out, cap, fmt, ap);
    va_end(ap);
    return n;
}

const char* const kDoubleFormats[] = {"%.1f", "%.2f", "%.9f", "%.10f", "%.12f"};

std::string ours(const char* f, double v) {
    char buf[FMT_LINE_MAX];
    int n = format_into(buf, sizeof buf, f, v);
    EXPECT_EQ(n, static_cast<int>(std::strlen(buf)));
    return buf;
}

std::string libc(const char* f, double v) {
    char buf[FMT_LINE_MAX];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

void expect_all_formats(double v) {
    for (const char* f : kDoubleFormats) ASSERT_EQ(ours(f, v), libc(f, v)) << f << " of " << std::hexfloat << v;
}

}  // namespace

TEST(Format, ExactTiesSpecialValuesAndFields) {
    // m * 2^-e with more than p decimals gives exact ties at precision p.
    for (int e = 2; e <= 16; e++)
        for (int m = 1; m < 300; m += 2) expect_all_formats(std::ldexp(m, -e));
    // clang-format off
    const double specials[] = {0.0, -0.0, -0.0001, -0.049999, -4e-13, 1e300, -1e300, 1.7976931348623157e308, 5e-324,
                               -5e-324, 2.2250738585072014e-308, 0.95, 9.95, 99.995, 4503599627370495.5, 9007199254740993.0,
                               HUGE_VAL, -HUGE_VAL, std::copysign(NAN, 1.0), std::copysign(NAN, -1.0)};
    // clang-format on
    for (double v : specials) expect_all_formats(v);
    const char* const fmts[] = {"[%8.3f]", "[%-8.2f]", "[%08.2f]", "[%f]",     "[%lf]",
                                "[%.0f]",  "[%3.1f]",  "[%.1lf]",  "[%24.12f]"};
    for (const char* f : fmts)
        for (double v : {0.0, -0.0, 3.14159, -3.14159, 2.5, 3.5, -12345.678, 1e20, -HUGE_VAL})
            EXPECT_EQ(ours(f, v), libc(f, v)) << f;
    EXPECT_EQ(ours("%.2f", 0.125), "0.12");
    EXPECT_EQ(ours("%.2f", 0.375), "0.38");
    EXPECT_EQ(ours("%.2f", -0.001), "-0.00");
    EXPECT_EQ(ours("%.12f", -5e-324), "-0.000000000000");
}

TEST(Format, IntegersMatchSnprintf) {
    const char* const fmts[] = {"%d", "%i", "%u", "%x", "%06x", "[%5d]", "[%-5d]", "[%05d]", "lc10 #%06x"};
    std::vector<int> vals = {0,         1,         -1,      9,       10,          -10,  255,       0xabcdef,
                             0x1000000, 0x7654321, INT_MAX, INT_MIN, INT_MIN + 1, -255, 123456789, -987654321};
    std::mt19937 rng(5);
    for (int i = 0; i < 500; i++) vals.push_back(static_cast<int>(rng()));
    for (const char* f : fmts)
        for (int v : vals) {
            char a[64], b[64];
            format_into(a, sizeof a, f, v);
            std::snprintf(b, sizeof b, f, v);
            ASSERT_STREQ(a, b) << f << " " << v;
        }
}

TEST(Format, StringsCharsAndLiteralText) {
    char buf[256];
    // clang-format off
    struct { const char* fmt; const char* arg; const char* want; } cases[] = {
        {"%s", "abc", "abc"}, {"(%s)", "", "()"}, {"[%5s]", "ab", "[   ab]"}, {"[%-5s]", "ab", "[ab   ]"},
        {"[%.2s]", "abcdef", "[ab]"}, {"100%% %s", "x", "100% x"}, {"%%%s%%", "y", "%y%"},
        {"no conversions", "", "no conversions"}, {"# ChSTR(%s)\n", "\x97\x76", "# ChSTR(\x97\x76)\n"}};
    // clang-format on
    for (auto& c : cases) {
        int n = format_into(buf, sizeof buf, c.fmt, c.arg);
        EXPECT_STREQ(buf, c.want) << c.fmt;
        EXPECT_EQ(n, static_cast<int>(std::strlen(c.want)));
    }
    format_into(buf, sizeof buf, "%c%c|%3c|%-3c|", 'a', 'Z', 'q', 'r');
    EXPECT_STREQ(buf, "aZ|  q|r  |");
    format_into(buf, sizeof buf, "%s=%d %u %x %.2f%%", "n", -7, 7u, 255u, 0.125);
    EXPECT_STREQ(buf, "n=-7 7 ff 0.12%");
}

TEST(Format, TruncationStaysInsideCapacity) {
    const char* fmt = "%s|%d|%.3f|%06x|%%";
    char full[128];
    int len = std::snprintf(full, sizeof full, fmt, "text", -12345, 2.0 / 3.0, 0xab);
    for (int cap = 1; cap <= len + 3; cap++) {
        char buf[160];
        std::memset(buf, '#', sizeof buf);
        int n = format_into(buf, cap, fmt, "text", -12345, 2.0 / 3.0, 0xab);
        int want = std::min(cap - 1, len);
        ASSERT_EQ(n, want) << "cap " << cap;
        ASSERT_EQ(buf[want], '\0') << "cap " << cap;
        ASSERT_EQ(std::string(buf, want), std::string(full, want)) << "cap " << cap;
        for (int i = cap; i < static_cast<int>(sizeof buf); i++)
            ASSERT_EQ(buf[i], '#') << "cap " << cap << " byte " << i;
    }
    // A long double field cut in the middle.
    char small[10];
    std::memset(small, '#', sizeof small);
    EXPECT_EQ(format_into(small, 8, "%.12f", 1e300), 7);
    EXPECT_STREQ(small, "1000000");
    EXPECT_EQ(small[8], '#');
}
