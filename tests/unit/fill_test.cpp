// The text fill's helpers and the cases the end-to-end examples cannot reach.
#include "fill/fill.h"

#include <gtest/gtest.h>

#include <cstring>

#include "capture.h"
#include "fill/strgeo.h"

namespace {

TEST(Helpers, LeadByteRanges) {
    const unsigned char bytes[] = {0x00, 0x41, 0x80, 0x81, 0x9F, 0xA0, 0xDF, 0xE0, 0xFC, 0xFD, 0xFF};
    const int lead[] = {0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0};
    for (size_t k = 0; k < sizeof bytes; k++) {
        char s[2] = {static_cast<char>(bytes[k]), 0};
        EXPECT_EQ(SHIFTJIS(s, 0), lead[k]) << std::hex << unsigned(bytes[k]);
    }
}

TEST(Helpers, StrlenCountsNoFurtherThan257) {
    char s[300];
    std::memset(s, 'x', sizeof s);
    EXPECT_EQ(STRLEN(s), 257);
    s[256] = 0;
    EXPECT_EQ(STRLEN(s), 256);
    s[0] = 0;
    EXPECT_EQ(STRLEN(s), 0);
}

TEST(Helpers, StrcpyStopsAtLineEndsAndAfter250) {
    char d[300];
    std::strcpy(d, "keep");
    EXPECT_EQ(STRCPY(d, "\r\nabc"), 0);
    EXPECT_STREQ(d, "keep");  // untouched when the first byte stops it
    EXPECT_EQ(STRCPY(d, "ab\ncd"), 2);
    EXPECT_STREQ(d, "ab");
    EXPECT_EQ(STRCPY(d, "xy\rz"), 2);
    EXPECT_STREQ(d, "xy");
    char src[400];
    std::memset(src, 'q', sizeof src - 1);
    src[sizeof src - 1] = 0;
    std::memset(d, '#', sizeof d);
    EXPECT_EQ(STRCPY(d, src), 250);
    EXPECT_EQ(d[250], 0);
    EXPECT_EQ(d[251], '#');  // at most 251 bytes written
}

TEST(Helpers, DistanceAndSlope) {
    EXPECT_EQ(PTDIST(3, 4, 0, 0), 5.0);
    EXPECT_EQ(ptslope(0, 0, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(ptslope(0, 0, -1, 0), 3.141592653589793);
    EXPECT_DOUBLE_EQ(ptslope(0, 0, 0, -1), -3.141592653589793 / 2);
}

// Points 1 and 2 along x, the default sizes, a pattern; everything else as a
// run starts.
void line_state(const char* pattern, double length) {
    std::memset(ChS001, 0, sizeof ChS001);
    std::strcpy(ChS001, pattern);
    dMOJI_w = 5.0, dMOJI_d = 1.0, iMOJI_p = 1, isTest = 0;
    PX[1] = PY[1] = PY[2] = 0.0;
    PX[2] = length;
    iPOINT = 2, iPOINTcnt = 2;
    GROUP = 0;
    ChSTR[0] = 0;
}

std::string text_of(const std::string& out) {
    size_t q = out.find('"');
    return q == std::string::npos ? "" : out.substr(q + 1, out.find('\r', q) - q - 1);
}

TEST(Fill, ALaidFillIsLaidAgainOnlyForTheSameInputs) {
    // One input changed at a time: each call lays what a first call with
    // those inputs lays, over a stale fill string. A run never changes the
    // width, spacing or pattern, but a process that runs the pass again (the
    // fuzzer) does, and no end-to-end case can.
    struct Step {
        const char* pattern;
        double length, w, d;
        const char* want;
    } steps[] = {
        {"AB", 20, 5, 1, "ABABAB"},  {"AB", 20, 5, 1, "ABABAB"}, {"BA", 20, 5, 1, "BABABA"}, {"BA", 14, 5, 1, "BABA"},
        {"BA", 14, 3, 1, "BABABAB"}, {"BA", 14, 3, 2, "BABABA"}, {"BA", 14, 3, 2, "BABABA"}, {"AB", 14, 3, 2, "ABABAB"},
    };
    for (const Step& s : steps) {
        line_state(s.pattern, s.length);
        dMOJI_w = s.w, dMOJI_d = s.d;
        std::strcpy(ChSTR, "stale text, longer than any fill here");
        EXPECT_EQ(text_of(written([] { STR_LINE(0); })), s.want)
            << s.pattern << " " << s.length << " " << s.w << " " << s.d;
    }
    // Nothing fits: the fill string carries what it held, also the second time.
    for (const char* held : {"previous", "other"}) {
        line_state("AB", 2);
        std::strcpy(ChSTR, held);
        EXPECT_EQ(text_of(written([] { STR_LINE(0); })), held);
    }
    // The trace runs for every character, also right after the same fill.
    line_state("AB", 20);
    written([] { STR_LINE(0); });
    isTest = 2;
    std::string out = written([] { STR_LINE(0); });
    isTest = 0;
    int traced = 0;
    for (size_t at = 0; (at = out.find("# ChSTR(", at)) != std::string::npos; at++) traced++;
    EXPECT_EQ(traced, 6);
}

}  // namespace
