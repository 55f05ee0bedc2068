// tf_copy_lines, the counting copy, against what it stands for: a loop of
// tf_gets with a 255-byte buffer and tf_write of each line, on real files.
// The count decides whether a file is refused, so it must agree read for
// read: long lines, CR LF pairs at the 254-byte edge and across buffer
// fills, lone CRs and LFs, and a limit reached inside a run of lines.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/textfile.h"
#include "state/contract.h"
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
