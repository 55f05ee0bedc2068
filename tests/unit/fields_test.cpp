// The decimal integer scanner: saturation at the 32-bit range, and a target
// left alone when nothing converts (a caller may then read it). The other
// conversions are checked end to end, through what the program writes back
// (tests/e2e/cases/reader_number_spellings_level3 and the bad_fields_* cases).
#include "input/fields.h"

#include <gtest/gtest.h>

#include <climits>

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
