// Our formatter against glibc's snprintf, which rounds exactly and prints
// infinities and NaNs ("inf", "-nan") the way our files must show them: each
// conversion the program's formats write, over the values it meets.
#include "platform/format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
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

// Every way a format of the program converts a double.
const char* const kDoubleFormats[] = {"%.1f", "%.1lf", "%.2f", "%.9f", "%.10f", "%.12f"};

std::string ours(const char* f, double v) {
    char buf[FMT_LINE_MAX];
    int n = format_into(buf, sizeof buf, f, v);
    EXPECT_EQ(n, static_cast<int>(std::strlen(buf)));
    return buf;
}

// The formatter's text and length as snprintf's.
#define ASSERT_AS_SNPRINTF(...)                                        \
    do {                                                               \
        char a[FMT_LINE_MAX], b[FMT_LINE_MAX];                         \
        const int n = format_into(a, sizeof a, __VA_ARGS__);           \
        ASSERT_STREQ(a, (std::snprintf(b, sizeof b, __VA_ARGS__), b)); \
        ASSERT_EQ(n, static_cast<int>(std::strlen(b)));                \
    } while (0)

void expect_all_formats(double v) {
    for (const char* f : kDoubleFormats) ASSERT_AS_SNPRINTF(f, v);
}

}  // namespace

TEST(Format, DoublesAtRoundingEdgesAndSpecialValues) {
    // m * 2^-e with more than p decimals gives exact ties at precision p; one
    // step either side of a tie rounds away from it.
    for (int e = 2; e <= 16; e++)
        for (int m = 1; m < 300; m += 2) {
            double tie = std::ldexp(m, -e);
            expect_all_formats(tie);
            expect_all_formats(-tie);
            expect_all_formats(std::nextafter(tie, 0.0));
            expect_all_formats(std::nextafter(tie, 1e9));
        }
    // clang-format off
    const double specials[] = {0.0, -0.0, -0.0001, -0.049999, -4e-13, 1e300, -1e300, DBL_MAX, -DBL_MAX, 5e-324,
                               -5e-324, DBL_MIN, 0.95, 9.95, 99.995, 4503599627370495.5, 9007199254740993.0,
                               1e15 + 0.5, 123456.789012345678, -98765.4321, 1e22, 1e23,
                               HUGE_VAL, -HUGE_VAL, std::copysign(NAN, 1.0), std::copysign(NAN, -1.0)};
    // clang-format on
    for (double v : specials) expect_all_formats(v);
    EXPECT_EQ(ours("%.2f", 0.125), "0.12");
    EXPECT_EQ(ours("%.2f", 0.375), "0.38");
    EXPECT_EQ(ours("%.2f", -0.001), "-0.00");
    EXPECT_EQ(ours("%.12f", -5e-324), "-0.000000000000");
    EXPECT_EQ(ours("%.1f", -HUGE_VAL), "-inf");
    EXPECT_EQ(ours("%.10f", std::copysign(NAN, -1.0)), "-nan");
}

TEST(Format, RandomDoublesMatchSnprintf) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 3000; i++) {
        std::uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        expect_all_formats(v);
    }
    // Coordinates as drawings hold them: a few decimals, up to a million.
    std::uniform_int_distribution<long long> units(-1000000000LL, 1000000000LL);
    for (int i = 0; i < 3000; i++) expect_all_formats(static_cast<double>(units(rng)) / 1000.0);
}

// The digits of a value are kept by value and precision: a value met again,
// after others took its place, at another precision or with the other sign
// must print as the first time.
TEST(Format, RepeatedValuesPrintTheSame) {
    std::vector<double> vals = {0.0, 1234567890123456789.0, 12345678901234567890.0, 1e30};
    std::mt19937 rng(3);
    for (int i = 0; i < 64; i++) vals.push_back(static_cast<double>(rng() % 100000) / 8.0);
    for (int round = 0; round < 3; round++)
        for (double v : vals) {
            expect_all_formats(v);
            expect_all_formats(-v);
        }
}

TEST(Format, IntegersMatchSnprintf) {
    const char* const fmts[] = {"%d", "%u", "%x", "%06x"};
    std::vector<int> vals = {0,         1,         -1,      9,       10,          -10,  255,       0xabcdef,   0xffffff,
                             0x1000000, 0x7654321, INT_MAX, INT_MIN, INT_MIN + 1, -255, 123456789, -987654321, 150000};
    std::mt19937 rng(5);
    for (int i = 0; i < 500; i++) vals.push_back(static_cast<int>(rng()));
    for (const char* f : fmts)
        for (int v : vals) ASSERT_AS_SNPRINTF(f, v);
}

// Whole formats of the program: literal text between the conversions, and
// each value taken in turn.
TEST(Format, TheProgramsFormatsMatchSnprintf) {
    for (char form : {' ', '/', '-'}) ASSERT_AS_SNPRINTF("##  hp%d%c  %.2f %.2f \n", -3, form, 12.345, -0.005);
    ASSERT_AS_SNPRINTF("lg%x\nly%x\nlt%d\nlc%d\n", 15, -1, 0, -2147483647);
    ASSERT_AS_SNPRINTF("##  jd_x=%u/%u : jd_x/jd_xmax  jd_limit=%u\n", 1u, 4294967295u, 150000u);
    // A text is copied as it stands: Shift_JIS bytes, a '%' of its own, empty, long.
    const std::string longest(255, 'w');
    for (const char* text : {"\x97\x76\x8c\x60 %d%s%%", "", "=", longest.c_str()})
        ASSERT_AS_SNPRINTF("%s %.9f %.9f %.9f %.9f \"%s\n", "ch", 1.0, -2.5, 1e-9, 0.0, text);
    // The longest record there is: eight doubles at the end of the range fit a line.
    const double m = -DBL_MAX;
    ASSERT_AS_SNPRINTF("sl %.12f %.12f %.12f %.12f %.12f %.12f %.12f %.12f\n", m, m, m, m, m, m, m, m);
}

TEST(Format, TruncationStaysInsideCapacity) {
    const char* fmt = "ch %.10f %.10f %.10f %.10f \"%s\nlc10 #%06x\n";
    char full[128];
    int len = std::snprintf(full, sizeof full, fmt, -1.5, 2.0 / 3.0, 0.0, 1e-11, "text", 0xab);
    for (int cap = 1; cap <= len + 3; cap++) {
        char buf[160];
        std::memset(buf, '#', sizeof buf);
        int n = format_into(buf, cap, fmt, -1.5, 2.0 / 3.0, 0.0, 1e-11, "text", 0xab);
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
