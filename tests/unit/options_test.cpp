// Option values the end-to-end cases do not show in a record.
#include "run/options.h"

#include <gtest/gtest.h>

#include <cmath>

#include "run/state.h"

namespace {

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

}  // namespace
