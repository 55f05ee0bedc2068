#include "records.h"

#include <gtest/gtest.h>

#include <string>

using namespace drafthost;

namespace {

const std::string& kHe = kOverLimitRecord;

TEST(Classify, RecordsTheProgramWrites) {
    struct Case {
        std::string line;
        Kind kind;
    } cases[] = {
        {"# CHR_PRO  now ", Kind::Comment},
        {"#", Kind::Comment},
        {"bz", Kind::Bz},
        {"cn\"anything", Kind::EchoedCn},
        {"cn0 3.5 3.5 0.5 2", Kind::EchoedCn},  // echoed as the host wrote it
        {"cn0 5.00 5.00 1.00 1", Kind::FillSize},
        {"cn0 -0.00 12.50 0.50 -3", Kind::FillSize},
        {"ch 0.0000000000 -2.5000000000 20.0000000000 0.0000000000 \"ABABAB", Kind::FillText},
        {"ch 1.0000000000 -0.0000000000 0.0000000000 0.0000000000 \"", Kind::FillText},
        {"cn0 2.50, 2.50, 0.00, 1", Kind::RestoreSize},
        {"cn3", Kind::RestoreClass},
        {"cn-2", Kind::RestoreClass},
        {"lga", Kind::Attribute},
        {"ly1f", Kind::Attribute},
        {"lg0", Kind::Attribute},
        {"lt2", Kind::Attribute},
        {"lc20", Kind::Attribute},
        {"pn-1", Kind::Attribute},
        {"ci 0.000000000000 0.000000000000 20.000000000000 ", Kind::Circle},
        {kHe, Kind::OverLimit},
    };
    for (const Case& c : cases) EXPECT_EQ(classify(c.line), c.kind) << c.line;
}

TEST(Classify, WrongNumberShapesAreNoRecord) {
    const char* lines[] = {
        "ch 0.000000000 -2.5000000000 20.0000000000 0.0000000000 \"AB",    // 9 decimals
        "ch 0.00000000000 -2.5000000000 20.0000000000 0.0000000000 \"AB",  // 11 decimals
        "ch 00.0000000000 -2.5000000000 20.0000000000 0.0000000000 \"AB",  // leading zero
        "ch 0.0000000000 -2.5000000000 20.0000000000 0.0000000000 AB",     // no quote
        "ch 0.0000000000  -2.5000000000 20.0000000000 0.0000000000 \"AB",  // double blank
        "ch 0.0000000000 -2.5000000000 20.0000000000 \"AB",                // three numbers
        "ci 0.000000000000 0.000000000000 20.000000000000",                // no trailing blank
        "ci 0.00 0.00 20.00 ",
        "ch nan -nan inf -inf \"x",  // the host reads numbers only
        "ci 0.000000000000 0.000000000000 inf ",
        "lgA",
        "lg014",
        "lt 2",
        "lc5 ",
        "lc",
        "pna",
        "ly-1",
        "lx3",
        "he  MAX=150000",
        " 0.0 0.0 1.0 1.0",
        "pt 1 2",
        "",
    };
    for (const char* l : lines) EXPECT_EQ(classify(l), Kind::Unknown) << l;
    EXPECT_EQ(classify(kHe.substr(0, kHe.size() - 1) + "1"), Kind::Unknown);
    EXPECT_EQ(classify(kHe + " "), Kind::Unknown);
}

TEST(CheckRecords, CompleteResultPasses) {
    RecordCheck c = check_records(
        "# a comment\r\n"
        "cn0 5.00 5.00 1.00 1\r\n"
        "ch 0.0000000000 -2.5000000000 20.0000000000 0.0000000000 \"ABABAB\r\n"
        "lg14\r\nly14\r\nlt20\r\nlc20\r\n");
    EXPECT_TRUE(c.problems.empty()) << c.problems.front();
    EXPECT_EQ(c.lines.size(), 7u);
    EXPECT_EQ(c.fills(), 1u);
    EXPECT_EQ(summary(c),
              "7 records: 1 echoed or comment (1 #, 0 bz, 0 cn), 1 text-size, 1 text, "
              "4 attribute-restoring, 0 circle, 0 over-limit, 0 unknown; fills written: 1");
}

TEST(CheckRecords, ReportsLineEndsByLineNumber) {
    RecordCheck c = check_records("lg14\r\nly14\nlt20\r\nlc20");
    ASSERT_EQ(c.problems.size(), 1u);
    EXPECT_EQ(c.problems[0], "line 2: ends in a bare line feed, not CR LF");
    EXPECT_EQ(c.lines.back().end, LineEnd::None);  // a last line without line end is allowed
    EXPECT_EQ(c.lines.back().text, "lc20");

    c = check_records("lg14\r\nlc20\r");
    ASSERT_EQ(c.problems.size(), 1u);
    EXPECT_EQ(c.problems[0], "line 2: ends in a carriage return without a line feed");
}

TEST(CheckRecords, ReportsUnknownLinesAndOrphanTexts) {
    RecordCheck c = check_records(
        "lg14\r\n"
        "junk \x82\xA0\r\n"
        "\r\n"
        "ch 0.0000000000 -2.5000000000 20.0000000000 0.0000000000 \"AB\r\n");
    ASSERT_EQ(c.problems.size(), 3u);
    EXPECT_EQ(c.problems[0], "line 2: not a record the program writes: \"junk \\x82\\xA0\"");
    EXPECT_EQ(c.problems[1], "line 3: not a record the program writes: \"\"");
    EXPECT_EQ(c.problems[2], "line 4: text record not directly after a text-size record");
    EXPECT_EQ(c.count[static_cast<std::size_t>(Kind::Unknown)], 2u);
}

TEST(CheckRecords, TextSizeRecordRunIntoAnEchoedLine) {
    const std::string text = "ch 0.0000000000 -2.5000000000 20.0000000000 0.0000000000 \"AB\r\n";
    // An echoed line left without a line end, the fill's pair run into it.
    for (const char* joined :
         {"#endcn0 5.00 5.00 1.00 1\r\n", "bzcn0 1cn0 5.00 5.00 1.00 1\r\n", "cn9 xcn0 5.00 5.00 1.00 1\r\n"}) {
        RecordCheck c = check_records(joined + text);
        ASSERT_EQ(c.problems.size(), 1u) << joined;
        EXPECT_EQ(c.problems[0],
                  "line 2: its text-size record ran into line 1, an echoed line that was given no line end");
    }
    // Not a text-size record at the end, or no echoed line: still out of order.
    for (const char* before : {"#endcn0 5.00 5.00 1.00\r\n", "#cn0 5.00 5.00 1.00 1 \r\n",
                               "lg14cn0 5.00 5.00 1.00 1\r\n", "#end\r\ncn0 5.00 5.00 1.00 1\r\nlg14\r\n"}) {
        RecordCheck c = check_records(before + text);
        ASSERT_FALSE(c.problems.empty()) << before;
        EXPECT_NE(c.problems.back().find("text record not directly after a text-size record"), std::string::npos);
    }
}

}  // namespace
