// The record writers' exact text and the attribute-restoring block's outcomes.
#include "output/records.h"

#include <gtest/gtest.h>

#include <cmath>

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
        isTest = level;
        std::string got = written([] { SL4out(1, 2, 3, 4, 5, 6, 7, 8); });
        EXPECT_EQ(got, level == 1 ? "sl 1.00 2.00 3.00 4.00 5.00 6.00 7.00 8.00\r\n" : twelve) << level;
    }
    isTest = 0;
}

TEST(Writers, LengSenIsTheSegmentLength) { EXPECT_EQ(LengSen(0, 0, 3, 4), 5.0); }

// The initial attributes as the reader leaves them, then the block.
struct Initial {
    double w = -20.0, h = 20.0, d = 20.0;
    int c = 20, size = 20, group = 0x14, layer = 0x14, type = 20, colour = 20, pen = 0x14;
};

std::string block(const Initial& in) {
    MOJIWi = in.w;
    MOJIHi = in.h;
    MOJIDi = in.d;
    MOJICi = in.c;
    MOJISi = in.size;
    GROUPi = in.group;
    LAYERi = in.layer;
    TYPEi = in.type;
    COLORi = in.colour;
    TENSi = in.pen;
    return written([] { IniZokusei(); });
}

TEST(RestoringBlock, NeverSeenIsTheFourAttributeLines) { EXPECT_EQ(block({}), "lg14\r\nly14\r\nlt20\r\nlc20\r\n"); }

TEST(RestoringBlock, TextSizeLinesByFirstTextSizeRecord) {
    const std::string attrs = "lg14\r\nly14\r\nlt20\r\nlc20\r\n";
    Initial free_size;
    free_size.size = 0, free_size.w = 2.5, free_size.h = 2.5, free_size.d = 0, free_size.c = 1;
    EXPECT_EQ(block(free_size), "cn0 2.50, 2.50, 0.00, 1\r\n" + attrs);
    Initial zero_width = free_size;
    zero_width.w = 0;
    EXPECT_EQ(block(zero_width), attrs);
    Initial nan_width = free_size;
    nan_width.w = std::nan("");
    EXPECT_EQ(block(nan_width), attrs);
    for (int n : {1, 3, 10, -1, -100}) {
        Initial cls;
        cls.size = n;
        EXPECT_EQ(block(cls), "cn" + std::to_string(n) + "\r\n" + attrs) << n;
    }
    for (int n : {11, 12, 20}) {
        Initial cls;
        cls.size = n;
        EXPECT_EQ(block(cls), attrs) << n;
    }
}

TEST(RestoringBlock, HexLayersDecimalTypesAndPen) {
    Initial in;
    in.group = 0xa, in.layer = 0x1f, in.type = 2, in.colour = 5, in.pen = 7;
    EXPECT_EQ(block(in), "lga\r\nly1f\r\nlt2\r\nlc5\r\npn7\r\n");
    in.group = -1, in.pen = 0;
    EXPECT_EQ(block(in), "lgffffffff\r\nly1f\r\nlt2\r\nlc5\r\npn0\r\n");
    in.pen = -3;  // signed test: written
    EXPECT_EQ(block(in), "lgffffffff\r\nly1f\r\nlt2\r\nlc5\r\npn-3\r\n");
    in.pen = 10;  // not written
    EXPECT_EQ(block(in), "lgffffffff\r\nly1f\r\nlt2\r\nlc5\r\n");
}

}  // namespace
