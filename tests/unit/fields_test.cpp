// Field conversion: scan_lf must read exactly what glibc's strtod reads of a
// decimal number (value bits and characters consumed), and nothing else; the
// integer scanners saturate as documented.
#include "input/fields.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

// The end of the number at the start of s that the field conversion is held
// to (after white space, an optional sign, digits with at most one point, at
// least one digit in all, and an exponent taken only when it has a digit), or
// s when there is none.
const char* decimal_end(const char* s) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const char* q = s;
    while (*q == ' ' || (*q >= '\t' && *q <= '\r')) q++;
    if (*q == '+' || *q == '-') q++;
    const char* m = q;
    while (digit(*q)) q++;
    bool any = q > m;
    if (*q == '.') {
        const char* f = ++q;
        while (digit(*q)) q++;
        any = any || q > f;
    }
    if (!any) return s;
    if (*q == 'e' || *q == 'E') {
        const char* e = q + 1;
        if (*e == '+' || *e == '-') e++;
        if (digit(*e)) {
            while (digit(*e)) e++;
            q = e;
        }
    }
    return q;
}

std::uint64_t bits(double d) {
    std::uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

// The reference: strtod given only the number decimal_end finds, and no
// number where strtod's value is an infinity. Gives the characters taken, 0
// for none.
size_t reference(const char* s, double* value) {
    const char* q = decimal_end(s);
    if (q == s) return 0;
    std::string number(s, q);
    *value = std::strtod(number.c_str(), nullptr);
    return std::isinf(*value) ? 0 : number.size();
}

// Compares scan_lf on s with the reference: same success, same end, same bits.
void expect_like_strtod(const std::string& s) {
    const char* text = s.c_str();
    double want = 0;
    const size_t used = reference(text, &want);
    const char* p = text;
    const double sentinel = -12345.25;
    double got = sentinel;
    int r = scan_lf(&p, &got);
    SCOPED_TRACE("input \"" + s + "\"");
    if (used == 0) {
        EXPECT_EQ(r, 0);
        EXPECT_EQ(p, text);
        EXPECT_EQ(bits(got), bits(sentinel));
        return;
    }
    ASSERT_EQ(r, 1);
    EXPECT_EQ(static_cast<size_t>(p - text), used) << "characters consumed";
    EXPECT_EQ(bits(got), bits(want)) << std::hexfloat << "got " << got << " want " << want;
}

}  // namespace

TEST(ScanLf, TableMatchesStrtod) {
    // clang-format off
    const char* const cases[] = {
        "0", "1", "-1", "+1", "3.25", "-0", "-0.0", ".5", "5.", "-.5e1", "007", "1.5x", "12,5", "  42", "\t\t-7.5",
        "\n 1", "\v\f\r3", "1e5", "1E5", "1e-5", "1e+05", "1e", "1e+", "1e-", "1ex", "2.5E+3z", "1.e2", "1e2.5",
        "0.1", "0.3", "2.2250738585072014e-308", "2.2250738585072011e-308", "4.9e-324", "2.4703282292062327e-324",
        "2.4703282292062328e-324", "1e-320", "-1e-310", "1.7976931348623157e308", "1.7976931348623158e308",
        "1.7976931348623159e308", "1e308", "1e309", "1e400", "-1e400", "1e-400", "-1e-400", "1e99999999999999999999",
        "1e-99999999999999999999", "0e99999999999", "0.000000000000000000000000000000001e330",
        "123456789012345678901234567890", "9007199254740993", "9007199254740993.0000000000000000000001",
        "0.100000000000000005551115123125782702118158340454101562", "0x1.8p3", "0X1.8P3", "0x1p-1074", "0x1p-1075",
        "0x1p-1076", "0x1p1023", "0x1p1024", "-0x1p1024", "0x1.fffffffffffff8p0", "0x1.fffffffffffff7p0",
        "0xAbC.dEf", "0x.8", "0x1p", "0x1p+", "0x1.", "0x", "0X", "0xg", "0x.p1", "-0x", "0x0.0001p1050", "0x00000001p-1080",
        "inf", "-inf", "+INF", "INFINITY", "-Infinity", "infinit", "infx", "nan", "-nan", "NaN", "nan(123)", "nan()",
        "nan(abc_9)", "nan(12", "nan(1 2)", "nanx", "in", "na", "", "x", "+", "-", ".", "-.", "-e5", "e5", " ", "+-1",
        "..5", " .e1", "\x1a" "1",
    };
    // clang-format on
    for (const char* s : cases) expect_like_strtod(s);
}

TEST(ScanLf, RandomStringsAndPrintedDoublesMatchStrtod) {
    // Short strings over the characters a number is made of: catches any
    // disagreement about where the number ends.
    const char alphabet[] = "0123456789.eE+-xXpPaAfFiInN( ) ";
    std::mt19937 rng(314159);
    std::mt19937_64 rng64(11);
    for (int i = 0; i < 50000; i++) {
        std::string s;
        for (int n = 1 + rng() % 9; n > 0; n--) s += alphabet[rng() % (sizeof alphabet - 1)];
        expect_like_strtod(s);
        // and every double printed in full, in both notations
        std::uint64_t b = rng64();
        double d;
        std::memcpy(&d, &b, sizeof d);
        char buf[64];
        std::snprintf(buf, sizeof buf, i % 2 ? "%.17g" : "%.20e", d);
        expect_like_strtod(buf);
    }
}

TEST(ScanD, Table) {
    // clang-format off
    struct { const char* in; int ret; int value; int used; } cases[] = {
        {"0", 1, 0, 1}, {"42", 1, 42, 2}, {"  -17x", 1, -17, 5}, {"\t+8", 1, 8, 3}, {"2147483647", 1, INT_MAX, 10},
        {"2147483648", 1, INT_MAX, 10}, {"-2147483648", 1, INT_MIN, 11}, {"-2147483649", 1, INT_MIN, 11},
        {"99999999999", 1, INT_MAX, 11}, {"-99999999999", 1, INT_MIN, 12}, {"000000000000000000012", 1, 12, 21},
        {"123456789012345678901234567890", 1, INT_MAX, 30}, {"0x10", 1, 0, 1}, {"1.5", 1, 1, 1}, {"+x", 0, 0, 0},
        {"-", 0, 0, 0}, {"", 0, 0, 0}, {"  ", 0, 0, 0}, {"x1", 0, 0, 0},
    };
    // clang-format on
    for (auto& c : cases) {
        const char* p = c.in;
        int v = 777;
        EXPECT_EQ(scan_d(&p, &v), c.ret) << c.in;
        EXPECT_EQ(v, c.ret ? c.value : 777) << c.in;
        EXPECT_EQ(p - c.in, c.used) << c.in;
    }
}

TEST(ScanX, Table) {
    // clang-format off
    struct { const char* in; int ret; unsigned value; int used; } cases[] = {
        {"ff", 1, 255u, 2}, {"FF", 1, 255u, 2}, {"  7fffffff", 1, 0x7fffffffu, 10}, {"ffffffff", 1, 0xffffffffu, 8},
        {"80000000", 1, 0x80000000u, 8}, {"100000000", 1, 0xffffffffu, 9}, {"123456789abcdef", 1, 0xffffffffu, 15},
        {"-1", 1, 0xffffffffu, 2}, {"-ff", 1, 0u - 255u, 3}, {"-100000000", 1, 1u, 10}, {"+a", 1, 10u, 2},
        {"0x1f", 1, 31u, 4}, {"0X1F", 1, 31u, 4}, {"-0x10", 1, 0u - 16u, 5}, {"0xg", 1, 0u, 1}, {"0x", 1, 0u, 1},
        {"00ff ", 1, 255u, 4}, {"g", 0, 0u, 0}, {"", 0, 0u, 0}, {"-", 0, 0u, 0}, {"x1", 0, 0u, 0},
    };
    // clang-format on
    for (auto& c : cases) {
        const char* p = c.in;
        int v = 777;
        EXPECT_EQ(scan_x(&p, &v), c.ret) << c.in;
        EXPECT_EQ(static_cast<unsigned>(v), c.ret ? c.value : 777u) << c.in;
        EXPECT_EQ(p - c.in, c.used) << c.in;
    }
}
