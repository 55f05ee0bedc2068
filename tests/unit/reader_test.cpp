// What the reader keeps in the run state for the records whose values no
// record of the output shows.
#include "input/reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "capture.h"

namespace {

// Runs the pass over the given exchange-file bytes, from the start values;
// returns what it wrote.
std::string pass(const std::string& bytes, unsigned limit = 150000) {
    reset_run_state();
    std::string tmpl = temp_template("linetext-reader");
    char* name = tmpl.data();
    int fd = mkstemp(name);
    if (write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) ADD_FAILURE();
    close(fd);
    std::string out = written([&] {
        fp = tf_open_read(name);
        JW_PATTERN(0, limit);
        tf_close(fp, 0);
    });
    std::remove(name);
    return out;
}

TEST(Reader, EmptyFileOrNoReadsLeaveTheStartValues) {
    EXPECT_EQ(pass(""), "");
    EXPECT_EQ(iPattern, 1);
    EXPECT_EQ(COLORi, 20);
    EXPECT_EQ(MOJIWi, -20.0);
    EXPECT_EQ(pass("lc5\r\n# x\r\n", 0), "");
    EXPECT_EQ(COLOR, 1);
    EXPECT_EQ(iPattern, 1);
}

TEST(Reader, LimitStopsThePass) { EXPECT_EQ(pass("# 1\r\n# 2\r\n# 3\r\n", 2), "# 1\r\n# 2\r\n"); }

TEST(Reader, CircleDefaultsAndCounts) {
    pass("ci 1 2 3\r\nci 4 5 6 10 20 30 40\r\nci 7\r\n");
    EXPECT_EQ(iCi_cnt, 3);
    // the last circle: only its centre x converted
    EXPECT_EQ(CX, 7.0);
    EXPECT_EQ(CY, 5.0);
    EXPECT_EQ(CR, 6.0);
    EXPECT_EQ(SK, 0.0);
    EXPECT_EQ(EK, 360.0);
    EXPECT_EQ(HP, -2.0);
    EXPECT_EQ(JK, 0.0);
}

TEST(Reader, LinesCountOnlyWithLength) {
    pass(" 0 0 5 5\r\n 1 1 1 1\r\n");
    EXPECT_EQ(iLine_cnt, 1);
    // a partial line is compared with what the last one left behind
    pass(" 0 0 5 5\r\n 1 1 1 1\r\n 2 3\r\n");
    EXPECT_EQ(iLine_cnt, 2);
    EXPECT_EQ(stepcnt, 3);
    // the partial line kept the end point of the equal-ends line
    EXPECT_EQ(ILINEx1, 2.0);
    EXPECT_EQ(ILINEy1, 3.0);
    EXPECT_EQ(ILINEx2, 1.0);
    EXPECT_EQ(ILINEy2, 1.0);
}

TEST(Reader, SizeTablesScalesAndSmallRecords) {
    pass(
        "hcw 1 2 3 4 5 6 7 8 9 10\r\nhch 2 2\r\nhcd 0.5\r\nhcc 1 2 3 4 5 6 7 8 9 10 11\r\n"
        "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\r\nhn 1 2 3 4\r\npt 5 6\r\nz42\r\ncc7\r\ncc9\r\n");
    EXPECT_EQ(MOJI_W[1], 1.0);
    EXPECT_EQ(MOJI_W[10], 10.0);
    EXPECT_EQ(MOJI_W[0], 0.0);
    EXPECT_EQ(MOJI_H[2], 2.0);
    EXPECT_EQ(MOJI_H[3], 0.0);
    EXPECT_EQ(MOJI_D[1], 0.5);
    EXPECT_EQ(MOJI_C[10], 10);
    EXPECT_EQ(G_SCALE[0], 1.0);
    EXPECT_EQ(G_SCALE[15], 16.0);
    EXPECT_EQ(PNX1 + PNY1 + PNX2 + PNY2, 10.0);
    EXPECT_EQ(KX[1], 5.0);
    EXPECT_EQ(KY[1], 6.0);
    EXPECT_EQ(KX[0], 0.0);
    EXPECT_EQ(ZOKU, 42);
    EXPECT_EQ(MOJIK, 9);
    EXPECT_EQ(MOJIKi, 7);
}

TEST(Reader, PolylineStateAndComments) {
    pass("pl\r\npl\r\n");
    EXPECT_EQ(iPL, 1);
    EXPECT_EQ(iPLcnt, 2);
    pass("pl\r\n# reset\r\n");
    EXPECT_EQ(iPL, 0);
    EXPECT_EQ(iPLcnt, 1);
}

TEST(Reader, TextRecordFields) {
    pass("ch 1 2 3 4 \"first text\r\ncq 5 6 7 8\"second\r\n");
    EXPECT_EQ(iCHR_cnt, 2);
    EXPECT_STREQ(MOJI_head, "cq");
    EXPECT_EQ(ChX, 5.0);
    EXPECT_EQ(ChDY, 8.0);
    EXPECT_STREQ(ChSTR0, "second\n");  // the text with its line end
    // without a double quote the numbers are stored and the old text stays
    pass("ch 1 1 1 1 \"kept\r\nch 9 9 9 9 no quote\r\n");
    EXPECT_EQ(ChX, 9.0);
    EXPECT_STREQ(ChSTR0, "kept\n");
    EXPECT_EQ(iCHR_cnt, 2);
}

TEST(Reader, PointSlotsAndCounts) {
    pass("hp1 100 200\r\nhp4 5 5\r\nhp12 7 7\r\nhp -2 3 4\r\n");
    EXPECT_EQ(PX[1], 100.0);
    EXPECT_EQ(PY[1], 200.0);
    EXPECT_EQ(iPOINTcnt, 3);  // hp12 matches no form
    EXPECT_EQ(iPOINT, -2);
    EXPECT_EQ(PX[0] + PX[2] + PX[3], 0.0);
    pass("hp2ch 3 4\r\n");
    EXPECT_EQ(iPOINT, 2);
    EXPECT_EQ(HPOINTx, 3.0);
    EXPECT_EQ(HPOINTy, 4.0);
    EXPECT_EQ(PX[2], 0.0);
    EXPECT_EQ(stepcnt, 2);
}

TEST(Reader, HugeAndOddNumbersAreDefined) {
    pass(
        "lc99999999999\r\nlgffffffffff\r\npn-1\r\nlt-99999999999\r\ncn0 0x10 2 3 4\r\n"
        "hcw 1 -1e-400 1e999 5\r\nhch 1 nan 3\r\n");
    EXPECT_EQ(COLOR, 2147483647);
    EXPECT_EQ(GROUP, -1);
    EXPECT_EQ(TENS, -1);
    EXPECT_EQ(TYPE, -2147483647 - 1);
    // the width is the 0 of 0x10; the fields after it keep their values
    EXPECT_EQ(MOJI_H[0], 0.0);
    EXPECT_EQ(MOJI_D[0], 0.0);
    // Underflow is a zero; a value beyond the double range and nan are no
    // numbers, and stop the conversion there.
    EXPECT_EQ(MOJI_W[1], 1.0);
    EXPECT_EQ(MOJI_W[2], 0.0);
    EXPECT_TRUE(std::signbit(MOJI_W[2]));
    EXPECT_EQ(MOJI_W[3], 0.0);
    EXPECT_EQ(MOJI_W[4], 0.0);
    EXPECT_EQ(MOJI_H[1], 1.0);
    EXPECT_EQ(MOJI_H[2], 0.0);
    EXPECT_EQ(MOJI_H[3], 0.0);
}

}  // namespace
