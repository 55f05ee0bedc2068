#include "svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>
#include <string>

#include "records.h"
#include "sjis.h"

using namespace drafthost;

namespace {

// The value of attribute `name` in the first element that matches `element`.
std::string attr(const std::string& svg, const std::string& element, const std::string& name) {
    std::smatch m;
    if (!std::regex_search(svg, m, std::regex("<" + element + "[^>]*>"))) return "(no element)";
    std::string tag = m.str();
    if (!std::regex_search(tag, m, std::regex(" " + name + "=\"([^\"]*)\""))) return "(no attribute)";
    return m[1];
}

// The text of the first element that matches `element`, tags removed.
std::string content(const std::string& svg, const std::string& element) {
    std::smatch m;
    if (!std::regex_search(svg, m, std::regex("<" + element + "[^>]*>(.*?)</text>"))) return "(no element)";
    return std::regex_replace(std::string(m[1]), std::regex("<[^>]*>"), "");
}

std::vector<double> nums(const std::string& s) {
    std::vector<double> out;
    std::istringstream in(s);
    for (double v; in >> v;) out.push_back(v);
    return out;
}

std::string svg_for(const std::string& drawing, const std::string& returned) {
    return make_svg(parse_drawing(drawing), placed_texts(check_records(returned)));
}

TEST(Svg, FillTextSitsAtItsStartAlongItsDirection) {
    // Point 1 (10, 10) to point 2 (22, 26), width 5: start half a height to the
    // right of point 1, direction (12, 16).
    std::string svg = svg_for("hp1 10 10\r\nhp2 22 26\r\n",
                              "cn0 5.00 5.00 1.00 1\r\n"
                              "ch 12.0000000000 8.5000000000 12.0000000000 16.0000000000 \"ABABAB\r\n"
                              "lg14\r\nly14\r\nlt20\r\nlc20\r\n");
    const std::string text = "text data-line=\"2\"";
    EXPECT_EQ(attr(svg, text, "x"), "12");
    EXPECT_EQ(attr(svg, text, "y"), "-8.5");
    EXPECT_EQ(attr(svg, text, "font-size"), "5");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(svg, m, std::regex("rotate\\(([^)]*)\\)")));
    std::vector<double> r = nums(m[1]);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_NEAR(r[0], -std::atan2(16.0, 12.0) * 180 / 3.14159265358979323846, 1e-5);  // -53.13 degrees
    EXPECT_EQ(r[1], 12);
    EXPECT_EQ(r[2], -8.5);
    EXPECT_EQ(content(svg, text), "ABABAB");
    // One character every (W + D) / 2 = 3 along the baseline.
    EXPECT_NE(svg.find("<tspan x=\"12\">A</tspan><tspan x=\"15\">B</tspan><tspan x=\"18\">A</tspan>"),
              std::string::npos);

    // Points 1 and 2 marked and labelled, in the drawing's coordinates.
    EXPECT_EQ(attr(svg, "circle data-slot=\"1\"", "cx"), "10");
    EXPECT_EQ(attr(svg, "circle data-slot=\"2\"", "cy"), "26");
    EXPECT_NE(svg.find(">1</text>"), std::string::npos);
    EXPECT_NE(svg.find(">2</text>"), std::string::npos);

    // The view holds both points and the text (y negated in the view).
    std::vector<double> vb = nums(attr(svg, "svg", "viewBox"));
    ASSERT_EQ(vb.size(), 4u);
    EXPECT_LT(vb[0], 10);
    EXPECT_GT(vb[0] + vb[2], 22);
    EXPECT_LT(vb[1], -26);
    EXPECT_GT(vb[1] + vb[3], -8.5);
}

TEST(Svg, TextHeightComesFromTheTextSizeRecordBeforeIt) {
    std::vector<PlacedText> t =
        placed_texts(check_records("cn0 2.00 3.50 1.00 1\r\n"
                                   "ch 0.0000000000 -1.7500000000 10.0000000000 0.0000000000 \"A\r\n"
                                   "cn0 7.00 7.00 1.00 1\r\n"
                                   "ch 1.0000000000 0.0000000000 0.0000000000 -10.0000000000 \"B\r\n"));
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].height, 3.5);
    EXPECT_EQ(t[0].line, 2u);
    EXPECT_EQ(t[1].height, 7);
    EXPECT_EQ(t[1].dy, -10);
    EXPECT_EQ(t[1].sjis, "B");
}

TEST(Svg, DrawingElements) {
    Drawing d = parse_drawing(
        " 0 0 100 50\r\n"
        "ci 50 25 10\r\n"
        "ci 0 0 10 0 90 1 0\r\n"
        "pt 3 4\r\n"
        "hp1+5 6\r\n"
        "hp2-7 8\r\n"
        "hp1 9 10\r\n"
        "hp12 1 1\r\n"
        "ch 1 1 1 0 \"not drawn\r\n");
    ASSERT_EQ(d.lines.size(), 1u);
    ASSERT_EQ(d.circles.size(), 2u);
    EXPECT_TRUE(d.circles[0].full);
    EXPECT_FALSE(d.circles[1].full);
    ASSERT_EQ(d.points.size(), 1u);
    ASSERT_EQ(d.indicated.size(), 2u);
    EXPECT_EQ(d.indicated[1].x, 9);  // the last record for a slot wins
    EXPECT_EQ(d.indicated[2].y, 8);

    std::string svg = make_svg(d, {});
    EXPECT_NE(svg.find("<line x1=\"0\" y1=\"0\" x2=\"100\" y2=\"50\"/>"), std::string::npos);
    EXPECT_NE(svg.find("<circle cx=\"50\" cy=\"25\" r=\"10\"/>"), std::string::npos);
    // A quarter arc counter-clockwise from 0 to 90 degrees.
    EXPECT_NE(svg.find("<path d=\"M 10 0 A 10 10 0 0 1 0 10\"/>"), std::string::npos);
    EXPECT_NE(svg.find("transform=\"scale(1,-1)\""), std::string::npos);
}

TEST(Svg, LargeCoordinatesKeepAllTheirDigits) {
    // 1e100 has 101 digits before the point; a number must not be cut short.
    std::string x2 = attr(make_svg(parse_drawing(" 0 0 1e100 0\r\n"), {}), "line", "x2");
    EXPECT_EQ(x2.size(), 101u) << x2;
    EXPECT_EQ(std::stod(x2), 1e100);
}

TEST(ShiftJis, ConvertsToUtf8) {
    EXPECT_EQ(sjis_to_utf8("\x82\x9F"), "\xE3\x81\x81");  // U+3041 HIRAGANA LETTER SMALL A
    EXPECT_EQ(sjis_to_utf8("\x82\xA0"), "\xE3\x81\x82");  // U+3042 HIRAGANA LETTER A
    EXPECT_EQ(sjis_to_utf8("\x83\x41"), "\xE3\x82\xA2");  // U+30A2 KATAKANA LETTER A
    EXPECT_EQ(sjis_to_utf8("A\xB1"
                           "B"),
              "A\xEF\xBD\xB1"
              "B");  // half-width katakana A
    // Invalid bytes and a lead byte cut off at the end become U+FFFD.
    EXPECT_EQ(sjis_to_utf8("A\xFF"
                           "B"),
              "A\xEF\xBF\xBD"
              "B");
    EXPECT_EQ(sjis_to_utf8("A\x82"), "A\xEF\xBF\xBD");
}

TEST(ShiftJis, ReportShowsUtf8AndEscapesTheRest) {
    // A kanji, half-width katakana, a lead byte before ASCII, one cut off at
    // the end, bytes that begin nothing, a control byte and a backslash.
    EXPECT_EQ(sjis_to_report("\x8A\xBF\xB1 \x82"
                             "A\x80\xA0\xFF\x01\t\\\x82"),
              "\xE6\xBC\xA2\xEF\xBD\xB1 \\x82A\\x80\\xA0\\xFF\\x01\t\\\\\\x82");
}

TEST(ShiftJis, ReachesTheSvgEscaped) {
    std::string svg = svg_for("",
                              "cn0 5.00 5.00 1.00 1\r\n"
                              "ch 0.0000000000 -2.5000000000 20.0000000000 0.0000000000 "
                              "\"\x82\x9F\x83\x41<&>\"'\x01\r\n");
    EXPECT_EQ(content(svg, "text data-line=\"2\""), "\xE3\x81\x81\xE3\x82\xA2&lt;&amp;&gt;&quot;&apos;\xEF\xBF\xBD");
    // A two-byte character takes W + D = 6, a single-byte one 3.
    EXPECT_NE(svg.find("<tspan x=\"0\">\xE3\x81\x81</tspan><tspan x=\"6\">\xE3\x82\xA2</tspan>"
                       "<tspan x=\"12\">&lt;</tspan><tspan x=\"15\">&amp;</tspan>"),
              std::string::npos)
        << svg;
    // Without a width there is nothing to set the characters by: one run of text.
    svg = svg_for("", "cn3\r\nch 0.0000000000 0.0000000000 1.0000000000 0.0000000000 \"\x83\x41\r\n");
    EXPECT_NE(svg.find("xml:space=\"preserve\">\xE3\x82\xA2</text>"), std::string::npos) << svg;
}

}  // namespace
