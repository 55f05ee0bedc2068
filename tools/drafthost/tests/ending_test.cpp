#include "ending.h"

#include <gtest/gtest.h>

#include <string>

using namespace drafthost;

namespace {

const std::string kInput = "hp1 0 0\r\nhp2 20 0\r\n";
const std::string kResult = "lg14\r\nly14\r\nlt20\r\nlc20\r\n";

ExitStatus exited(int code) { return ExitStatus{false, code}; }

DirState files(std::initializer_list<std::pair<const std::string, std::string>> list) {
    DirState d;
    for (const auto& [name, bytes] : list) d[name] = DirEntry{true, bytes, ""};
    return d;
}

// The usual run: a fresh directory that held only the drawing under name.
EndingCheck check_ending(const ExitStatus& status, int level, const std::string& name, const std::string& drawing,
                         const DirState& after) {
    return check_ending(status, level, Prepared{name, files({{name, drawing}})}, after);
}

bool mentions(const EndingCheck& c, const std::string& what) {
    for (const std::string& p : c.problems)
        if (p.find(what) != std::string::npos) return true;
    return false;
}

TEST(DebugLevel, LastTOptionDecides) {
    EXPECT_EQ(debug_level({}), 0);
    EXPECT_EQ(debug_level({"/T3"}), 3);
    EXPECT_EQ(debug_level({"-t6"}), 6);
    EXPECT_EQ(debug_level({"$T1"}), 1);
    EXPECT_EQ(debug_level({"/T12"}), 1);
    EXPECT_EQ(debug_level({"/T7"}), 0);
    EXPECT_EQ(debug_level({"/T3", "/T"}), 0);
    EXPECT_EQ(debug_level({"/T3", "/Zab", "T5", "/Z/T4"}), 3);
}

TEST(NameKinds, CaseVariantsAndClashes) {
    EXPECT_EQ(name_kind("JWC_TEMP.TXT"), NameKind::Exact);
    EXPECT_EQ(name_kind("jwc_temp.txt"), NameKind::CaseVariant);
    EXPECT_EQ(name_kind("Jwc_Temp.Txt"), NameKind::CaseVariant);
    EXPECT_EQ(name_kind("JWC_TEMP.TX"), NameKind::Other);
    EXPECT_TRUE(clashes_with_handoff("jwc_temp.104"));
    EXPECT_TRUE(clashes_with_handoff("JWC_Q7Q7.10"));
    EXPECT_FALSE(clashes_with_handoff("jwc_temp.txt"));
}

TEST(Ending, CompletedRunsFollowTheTable) {
    // Level 0: the result replaces the exchange file, the working copy is gone.
    auto c = check_ending(exited(0), 0, "JWC_TEMP.TXT", kInput, files({{"JWC_TEMP.TXT", kResult}}));
    EXPECT_TRUE(c.problems.empty());
    EXPECT_EQ(c.returned, "JWC_TEMP.TXT");
    EXPECT_TRUE(c.returned_is_result);

    c = check_ending(exited(0), 0, "JWC_TEMP.TXT", kInput,
                     files({{"JWC_TEMP.TXT", kResult}, {"JWC_TEMP.104", kResult}}));
    EXPECT_TRUE(mentions(c, "JWC_TEMP.104 should have been deleted"));

    // Level 1 to 6: the input stays, the result is in the working copy.
    c = check_ending(exited(0), 2, "JWC_TEMP.TXT", kInput,
                     files({{"JWC_TEMP.TXT", kInput}, {"JWC_TEMP.104", kResult}}));
    EXPECT_TRUE(c.problems.empty());
    EXPECT_EQ(c.returned, "JWC_TEMP.104");

    c = check_ending(exited(0), 2, "JWC_TEMP.TXT", kInput, files({{"JWC_TEMP.TXT", kResult}}));
    EXPECT_TRUE(mentions(c, "JWC_TEMP.TXT should hold the host's input unchanged, but differs"));
    EXPECT_TRUE(mentions(c, "JWC_TEMP.104 should hold the result, but is missing"));
    EXPECT_FALSE(c.returned);
}

TEST(Ending, EarlyEndingsKeepTheInput) {
    auto c =
        check_ending(exited(1), 0, "JWC_TEMP.TXT", kInput, files({{"JWC_TEMP.TXT", kInput}, {"JWC_TEMP.104", ""}}));
    EXPECT_TRUE(c.problems.empty());
    EXPECT_FALSE(c.returned);

    c = check_ending(exited(1), 0, "JWC_TEMP.TXT", kInput, files({{"JWC_TEMP.TXT", kResult}}));
    EXPECT_TRUE(mentions(c, "status 1: JWC_TEMP.TXT should hold the host's input unchanged, but differs"));

    c = check_ending(exited(255), 0, "JWC_TEMP.TXT", kInput, files({}));
    EXPECT_TRUE(mentions(c, "status -1: JWC_TEMP.TXT should hold the host's input unchanged, but is missing"));

    // A working copy left with something else in it is checked as records.
    c = check_ending(exited(1), 0, "JWC_TEMP.TXT", kInput,
                     files({{"JWC_TEMP.TXT", kInput}, {"JWC_TEMP.104", "he  ...\r\n"}}));
    EXPECT_TRUE(c.problems.empty());
    EXPECT_EQ(c.returned, "JWC_TEMP.104");
    EXPECT_FALSE(c.returned_is_result);
}

TEST(Ending, NamesOtherThanTheExchangeFile) {
    // A name the program does not look for: only -1, with the drawing left alone.
    auto c = check_ending(exited(255), 0, "drawing.txt", kInput, files({{"drawing.txt", kInput}}));
    EXPECT_TRUE(c.problems.empty());
    c = check_ending(exited(1), 0, "drawing.txt", kInput, files({{"drawing.txt", kInput}}));
    EXPECT_TRUE(mentions(c, "which ends with -1"));
    c = check_ending(exited(0), 0, "drawing.txt", kInput, files({{"drawing.txt", kResult}}));
    EXPECT_TRUE(mentions(c, "a name the program does not look for"));
    EXPECT_TRUE(mentions(c, "JWC_TEMP.TXT should hold the result, but is missing"));

    // A case variant is renamed on the way; a -1 may come before the renaming.
    c = check_ending(exited(0), 0, "jwc_temp.txt", kInput, files({{"JWC_TEMP.TXT", kResult}}));
    EXPECT_TRUE(c.problems.empty());
    c = check_ending(exited(0), 0, "jwc_temp.txt", kInput,
                     files({{"JWC_TEMP.TXT", kResult}, {"jwc_temp.txt", kInput}}));
    EXPECT_TRUE(mentions(c, "still under jwc_temp.txt"));
    c = check_ending(exited(255), 0, "jwc_temp.txt", kInput, files({{"jwc_temp.txt", kInput}}));
    EXPECT_TRUE(c.problems.empty());
    c = check_ending(exited(1), 0, "jwc_temp.txt", kInput, files({{"jwc_temp.txt", kInput}}));
    EXPECT_TRUE(mentions(c, "not renamed to JWC_TEMP.TXT (status 1 comes only after the renaming"));
}

TEST(Ending, UnknownStatusesAndLeftovers) {
    auto c = check_ending(exited(2), 0, "JWC_TEMP.TXT", kInput, files({{"JWC_TEMP.TXT", kInput}}));
    EXPECT_TRUE(mentions(c, "the host knows only 0, 1 and -1"));
    c = check_ending(ExitStatus{true, 11}, 0, "JWC_TEMP.TXT", kInput, files({{"JWC_TEMP.TXT", kInput}}));
    EXPECT_TRUE(mentions(c, "killed by signal 11"));

    DirState d = files({{"JWC_TEMP.TXT", kResult}, {"JWC_q7q7.10", kInput}});
    d["sub"] = DirEntry{false, "", "directory"};
    c = check_ending(exited(0), 0, "JWC_TEMP.TXT", kInput, d);
    ASSERT_EQ(c.problems.size(), 2u);
    EXPECT_EQ(c.problems[0], "left behind: JWC_q7q7.10");
    EXPECT_EQ(c.problems[1], "left behind: sub (not a regular file)");
}

}  // namespace
