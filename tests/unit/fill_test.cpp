// What the end-to-end cases cannot reach: the kept fill laid again only for
// the same inputs, which no single run varies.
#include "fill/fill.h"

#include <gtest/gtest.h>

#include <cstring>

#include "capture.h"

namespace {

// Points 1 and 2 along x, the default sizes, a pattern; everything else as a
// run starts.
void line_state(const char* pattern, double length) {
    std::memset(S.ChS001, 0, sizeof S.ChS001);
    std::strcpy(S.ChS001, pattern);
    S.dMOJI_w = 5.0, S.dMOJI_d = 1.0, S.iMOJI_p = 1, S.isTest = 0;
    S.PX[1] = S.PY[1] = S.PY[2] = 0.0;
    S.PX[2] = length;
    S.iPOINT = 2, S.iPOINTcnt = 2;
    S.GROUP = 0;
    S.ChSTR[0] = 0;
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
        S.dMOJI_w = s.w, S.dMOJI_d = s.d;
        std::strcpy(S.ChSTR, "stale text, longer than any fill here");
        EXPECT_EQ(text_of(written([] { STR_LINE(); })), s.want)
            << s.pattern << " " << s.length << " " << s.w << " " << s.d;
    }
    // Nothing fits: the fill string carries what it held, also the second time.
    for (const char* held : {"previous", "other"}) {
        line_state("AB", 2);
        std::strcpy(S.ChSTR, held);
        EXPECT_EQ(text_of(written([] { STR_LINE(); })), held);
    }
    // The trace runs for every character, also right after the same fill.
    line_state("AB", 20);
    written([] { STR_LINE(); });
    S.isTest = 2;
    std::string out = written([] { STR_LINE(); });
    S.isTest = 0;
    int traced = 0;
    for (size_t at = 0; (at = out.find("# ChSTR(", at)) != std::string::npos; at++) traced++;
    EXPECT_EQ(traced, 6);
}

}  // namespace
