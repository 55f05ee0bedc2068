// Option values the end-to-end cases do not show in a record.
#include "run/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "run/state.h"

namespace {

TEST(Options, PatternTextIsCutAfter256AndNothingRemains) {
    std::string longer(300, 'p');
    opt(("/Z" + longer).c_str());
    EXPECT_EQ(std::strlen(ChS001), 256u);
    opt("/Zxy");
    EXPECT_STREQ(ChS001, "xy");
    EXPECT_EQ(ChS001[3], 'p');  // the old bytes behind the terminator are never read
    opt("$z");
    EXPECT_STREQ(ChS001, "");
}

TEST(Options, NumbersThatAreNoGoodWidths) {
    dMOJI_w = 5.0;
    opt("/Mnan");
    EXPECT_EQ(dMOJI_w, 5.0);
    opt("/M-7");
    EXPECT_EQ(dMOJI_w, 5.0);
    opt("/M 2.5e0x");
    EXPECT_EQ(dMOJI_w, 2.5);
    opt("-m0x1p1");  // hexadecimal is no number: the 0 before the x
    EXPECT_EQ(dMOJI_w, 2.5);
    dMOJI_w = 5.0;
}

TEST(Options, ColourSaturatesInsteadOfWrapping) {
    iMOJI_p = 1;
    opt("/K4294967299");  // would wrap to 3 if cut to 32 bits
    EXPECT_EQ(iMOJI_p, 1);
    opt("/K -0");
    EXPECT_EQ(iMOJI_p, 0);
    iMOJI_p = 1;
}

TEST(Options, DebugLevelLooksAtOneByteOnly) {
    opt("/T12");
    EXPECT_EQ(isTest, 1);
    opt("/t6x");
    EXPECT_EQ(isTest, 6);
    opt("/T0");
    EXPECT_EQ(isTest, 0);
}

}  // namespace
