#include "contract.h"

#include <gtest/gtest.h>

#include <string>

using namespace drafthost;

namespace {

// The problems check_fills finds in the pair of a line of length `length`
// along x that holds `fill`, with W 5 and D 1 unless the arguments say other.
std::vector<std::string> fill_problems(double length, const std::string& fill, std::vector<std::string> args) {
    char ch[128];
    std::snprintf(ch, sizeof ch, "ch 0.0000000000 -2.5000000000 %.10f 0.0000000000 \"", length);
    return check_fills(check_records("cn0 5.00 5.00 1.00 1\r\n" + std::string(ch) + fill + "\r\n"), args);
}

TEST(Fills, TheLongestRunThatFitsAndNoOther) {
    // A pitch of 3 and a tolerance of 0.5: six characters fit 20, a seventh
    // would need 21.
    EXPECT_TRUE(fill_problems(20, "ABABAB", {"/ZAB"}).empty());
    EXPECT_EQ(fill_problems(20, "ABABA", {"/ZAB"}).size(), 1u);
    EXPECT_EQ(fill_problems(20, "ABABABA", {"/ZAB"}).size(), 1u);
    // A two-byte character takes two pitches: it fits 8 (6 <= 8.5), and the
    // A after it would not (9 > 8.5), nor the character a line of 5.
    const std::string two = "\x82\xa0";
    EXPECT_TRUE(fill_problems(8, two, {"/Z" + two + "A"}).empty());
    EXPECT_EQ(fill_problems(8, two + "A", {"/Z" + two + "A"}).size(), 1u);
    EXPECT_TRUE(fill_problems(10, two + "A", {"/Z" + two + "A"}).empty());
    EXPECT_EQ(fill_problems(7.5, "A" + two, {"/ZA" + two}).size(), 1u);  // the character overshoots by 1.0
    // A spacing below 0.5 is refused: the fill keeps D 1.
    EXPECT_TRUE(fill_problems(20, "ABABAB", {"/ZAB", "/L0.2"}).empty());
    // The byte bound: 251 bytes of AB on a long line.
    std::string bound;
    while (bound.size() < 251) bound += bound.size() % 2 ? "B" : "A";
    EXPECT_TRUE(fill_problems(1000, bound, {"/ZAB"}).empty());
    EXPECT_EQ(fill_problems(1000, bound + "B", {"/ZAB"}).size(), 1u);
}

TEST(Fills, EdgesTooCloseToTellAndNothingLaid) {
    // Exactly at the edge (3 = 2.5 + 0.5): either answer stands.
    EXPECT_TRUE(fill_problems(2.5, "A", {"/ZAB"}).empty());
    // Nothing fits 2: the record keeps whatever text it had.
    EXPECT_TRUE(fill_problems(2, "earlier text", {"/ZAB"}).empty());
    // Without a pattern in the arguments nothing is judged.
    EXPECT_TRUE(fill_problems(20, "A", {}).empty());
    // Sizes known only as printed (a spacing with text after its number): at
    // a pitch of 0.5, several edges of a 200-character fill lie within their
    // precision, and each of those ends stands; one character short does not.
    const auto half_pitch = [](std::size_t n) {
        std::string fill;
        while (fill.size() < n) fill += fill.size() % 2 ? "B" : "A";
        return check_fills(check_records("cn0 0.50 0.50 0.50 1\r\nch 0.0000000000 -0.2500000000 100.0000000000 "
                                         "0.0000000000 \"" +
                                         fill + "\r\n"),
                           {"/ZAB", "/M0.5", "/L0.5x"});
    };
    EXPECT_TRUE(half_pitch(200).empty());
    EXPECT_TRUE(half_pitch(199).empty());
    EXPECT_EQ(half_pitch(197).size(), 1u);
    // A line of 1.5e30 at a pitch of 2.5e29 (/M0.5 /L.5e30): exactly six '='
    // fit, but the fill's repeated subtraction, rounding at the line's scale,
    // lays a seventh; one more or one fewer is still wrong.
    const auto huge = [](std::size_t n) {
        return check_fills(check_records("cn0 0.50 0.50 500000000000000009942312419328.00 1\r\n"
                                         "ch 0.0000000000 -0.2500000000 1499999999999999889089448902656.0000000000 "
                                         "0.0000000000 \"" +
                                         std::string(n, '=') + "\r\n"),
                           {"/Z=", "/M0.5", "/L.5e30"});
    };
    EXPECT_TRUE(huge(7).empty());
    EXPECT_EQ(huge(8).size(), 1u);
    EXPECT_EQ(huge(5).size(), 1u);
}

}  // namespace
