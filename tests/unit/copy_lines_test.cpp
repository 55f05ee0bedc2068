// tf_copy_lines, the counting copy, against what it stands for: a loop of
// tf_gets with a 255-byte buffer and tf_write of each line, on real files.
// The count decides whether a file is refused, so it must agree read for
// read: long lines, CR LF pairs at the 254-byte edge and across buffer
// fills, lone CRs and LFs, NUL bytes, and a limit reached inside a line.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/textfile.h"
#include "run/contract.h"
#include "tempdir.h"

namespace {

class CopyLines : public TempDirTest {
   protected:
    // Copies "in" both ways and compares the counts and the copies.
    void expect_same(const std::string& bytes, unsigned limit) {
        put("in", bytes);
        TextFile* in = tf_open_read(path("in").c_str());
        TextFile* out = tf_open_new(path("by_line").c_str());
        ASSERT_TRUE(in && out);
        char line[255];
        unsigned want = 0;
        int n;
        while (want < limit && (n = tf_gets(in, line, sizeof line)) >= 0) {
            want++;
            tf_write(out, line, n);
        }
        tf_close(out, 0);
        tf_close(in, 0);
        in = tf_open_read(path("in").c_str());
        out = tf_open_new(path("in_runs").c_str());
        ASSERT_TRUE(in && out);
        unsigned got = tf_copy_lines(in, out, limit, 255);
        tf_close(out, 0);
        tf_close(in, 0);
        ASSERT_EQ(got, want) << "limit " << limit << ", " << bytes.size() << " bytes";
        ASSERT_TRUE(get("in_runs") == get("by_line")) << "limit " << limit << ", " << bytes.size() << " bytes";
    }
};

TEST_F(CopyLines, EdgesOfOneRead) {
    const std::string x253(253, 'x'), x254(254, 'x'), x508(508, 'x');
    const char* const cases[] = {"", "a", "\n", "\r", "\r\n", "\n\n\r\r\n", "a\rb\r\n", "a\r\r\n", "\r\r"};
    for (const char* c : cases) expect_same(c, LINE_LIMIT + 1);
    for (const std::string& s : {x253, x254, x508})
        for (const char* end : {"", "\n", "\r", "\r\n", "\r\r\n"}) expect_same(s + end + "next\r\n", LINE_LIMIT + 1);
    expect_same(x253 + "\r" + "y\r\n", LINE_LIMIT + 1);       // a lone CR as the 254th byte
    expect_same(std::string("a\0b\r\n", 5), LINE_LIMIT + 1);  // NUL bytes are bytes
}

TEST_F(CopyLines, AcrossBufferFillsAndLimits) {
    // Files over several 64 KiB fills, with lines longer than a fill.
    std::mt19937_64 rng(41);
    const char* const ends[] = {"\r\n", "\r\n", "\n", "\r", "\r\r\n", ""};
    for (int t = 0; t < 40; t++) {
        std::string s;
        const int lines = t % 4 == 0 ? 4000 : 200;
        for (int i = 0; i < lines; i++) {
            unsigned k = rng() % 20;
            size_t len = k < 10   ? rng() % 12
                         : k < 16 ? 245 + rng() % 20
                         : k < 19 ? 500 + rng() % 30
                                  : 66000 + rng() % 600;
            for (size_t j = 0; j < len; j++) {
                unsigned r = rng() % 48;
                s += r == 0 ? '\r' : r == 1 ? '\0' : static_cast<char>('a' + r % 26);
            }
            s += ends[rng() % 6];
        }
        for (unsigned limit : {1u, 2u, 7u, static_cast<unsigned>(rng() % 3000) + 1, LINE_LIMIT + 1})
            expect_same(s, limit);
    }
}

TEST_F(CopyLines, MostlyCrLfLinesTakenInRuns) {
    // The usual file: CR LF lines, most short, some at the 254-byte edge,
    // lone CRs within lines, and now and then a lone LF, an empty line or a
    // line too long for one read; limits that fall anywhere.
    std::mt19937_64 rng(43);
    for (int t = 0; t < 30; t++) {
        std::string s;
        while (s.size() < 200000) {
            unsigned k = rng() % 100;
            size_t len = k < 80 ? rng() % 40 : k < 90 ? rng() % 70 : k < 97 ? 250 + rng() % 8 : 255 + rng() % 300;
            for (size_t j = 0; j < len; j++) s += rng() % 64 == 0 ? '\r' : static_cast<char>('a' + rng() % 26);
            unsigned e = rng() % 400;
            s += e < static_cast<unsigned>(t) ? "\n" : e == 399 ? "\r\r\n" : "\r\n";
        }
        for (unsigned limit : {63u, 64u, 65u, 129u, static_cast<unsigned>(rng() % 6000) + 1, LINE_LIMIT + 1})
            expect_same(s, limit);
    }
}

}  // namespace
