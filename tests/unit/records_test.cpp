// The record writers' exact text; the attribute-restoring block is checked
// end to end (tests/e2e/cases/block_*).
#include "output/records.h"

#include <gtest/gtest.h>

#include "capture.h"

namespace {

TEST(Writers, FormatsTrailingBlanksAndDecimals) {
    struct Case {
        std::string got, want;
    } cases[] = {
        {written([] { Sen(1, 2, 3, 4); }), " 1.000000000000 2.000000000000 3.000000000000 4.000000000000 \r\n"},
        {written([] { Ten(-0.5, 1e-13); }), "pt -0.500000000000 0.000000000000 \r\n"},
        {written([] { Lcout(5); }), "lc5 \r\n"},
        {written([] { Ltout(-2); }), "lt-2 \r\n"},
        {written([] { Cnout(3); }), "cn3 \r\n"},
        {written([] { SL2out(1, 2, 3, 4); }), "sl 1.000000000000 2.000000000000 3.000000000000 4.000000000000\r\n"},
        {written([] { SL3out(1, 2, 3, 4, 5, 6); }),
         "sl 1.000000000000 2.000000000000 3.000000000000 4.000000000000 5.000000000000 6.000000000000\r\n"},
        {written([] { SCout(1, 2, 3, 4, 5, 6, 7, 8.125); }),
         "sc 1.0000000000 2.0000000000 3.0000000000 4.0000000000 5.0000000000 6.0000000000 7.0000000000 8.12\r\n"},
        {written([] { SEout(0, 0, 0, 0, 0, 0, 0, 0); }),
         "se 0.0000000000 0.0000000000 0.0000000000 0.0000000000 0.0000000000 0.0000000000 0.0000000000 0.00\r\n"},
        {written([] { SOout(0, 0, 0, 0, 0, 0, 0, 1); }),
         "so 0.0000000000 0.0000000000 0.0000000000 0.0000000000 0.0000000000 0.0000000000 0.0000000000 1.00\r\n"},
        {written([] { MojiOutSS("ch", 1, 2, 3, 0, "AB"); }),
         "ch 1.000000000 2.000000000 3.000000000 0.000000000 \"AB\r\n"},
        {written([] { MojiOutS(1, 2, "\x82\xa0"); }), "ch 1.000000000 2.000000000 3 0 \"\x82\xa0\r\n"},
        {written([] { MojiOutSD(1, 2, 1.5, "AB"); }), "ch 1.000000000 2.000000000 3 0 \"AB 1.50\r\n"},
        {written([] { MojiOutD1(0, 0, -7); }), "ch 0.000000000 0.000000000 3 0 \"-7\r\n"},
        {written([] { MojiOutD2(0, 0, 3, 4); }), "ch 0.000000000 0.000000000 3 0 \"3,4\r\n"},
        {written([] { Kci(1, 2, 3); }), "ci 1.000000000000 2.000000000000 3.000000000000 \r\n"},
        {written([] { Kdci(1, 2, 3, 0, 360, -2, 0); }),
         "ci 1.000000000000 2.000000000000 3.000000000000 0.000000000000 360.000000000000 -2.000000000000 "
         "0.000000000000 \r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Writers, RgbPacksRedFirstWithSixDigitsAndCarries) {
    EXPECT_EQ(written([] { SRGBout(255, 128, 0); }), "lc10 #ff8000\r\n");
    EXPECT_EQ(written([] { SRGBout(0, 0, 0); }), "lc10 #000000\r\n");
    EXPECT_EQ(written([] { SRGBout(0, 0, 256); }), "lc10 #000100\r\n");  // carries into green
    EXPECT_EQ(written([] { S16RGBout(0x123); }), "lc10 #000123\r\n");
    EXPECT_EQ(written([] { S16RGBout(0x1234567); }), "lc10 #1234567\r\n");
}

TEST(Writers, Sl4outShortensOnlyAtLevel1) {
    const std::string twelve =
        "sl 1.000000000000 2.000000000000 3.000000000000 4.000000000000 5.000000000000 6.000000000000 "
        "7.000000000000 8.000000000000\r\n";
    for (int level = 0; level <= 6; level++) {
        S.isTest = level;
        std::string got = written([] { SL4out(1, 2, 3, 4, 5, 6, 7, 8); });
        EXPECT_EQ(got, level == 1 ? "sl 1.00 2.00 3.00 4.00 5.00 6.00 7.00 8.00\r\n" : twelve) << level;
    }
    S.isTest = 0;
}

TEST(Writers, LengSenIsTheSegmentLength) { EXPECT_EQ(LengSen(0, 0, 3, 4), 5.0); }

}  // namespace
