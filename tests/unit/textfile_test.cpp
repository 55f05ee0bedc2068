// Text-mode files through real files: random content read with every buffer
// size against a model of the translation, and written back with every LF
// turned into CR LF. The edges the program meets are end-to-end cases
// (reader_*, bad_*); write errors come from the fault injection.
#include "platform/textfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tempdir.h"

namespace {

class TextFileTest : public TempDirTest {
   protected:
    // Every tf_gets result until -1.
    std::vector<std::string> lines(const std::string& bytes, int size) const {
        put("in.txt", bytes);
        TextFile* f = tf_open_read(path("in.txt").c_str());
        EXPECT_NE(f, nullptr);
        std::vector<std::string> out;
        std::vector<char> buf(size + 1, '#');
        for (int n; f && (n = tf_gets(f, buf.data(), size)) >= 0;) {
            EXPECT_EQ(buf[n], '\0');
            // Behind the terminator: what was there, or zero bytes; never more of the file.
            EXPECT_TRUE(std::all_of(buf.begin() + n + 1, buf.end(), [](char c) { return c == '#' || c == '\0'; }))
                << "bytes behind a read of " << n << " changed";
            out.emplace_back(buf.data(), n);
            std::fill(buf.begin(), buf.end(), '#');
        }
        EXPECT_TRUE(!f || tf_close(f, 0) == 0);
        if (size <= TF_RECORD_SIZE_MAX) expect_records(out, size);
        return out;
    }

    // The same reads as records: the bytes, where the first NUL is, the text
    // up to it, and only zero bytes behind either up to index size - 1.
    void expect_records(const std::vector<std::string>& want, int size) const {
        TextFile* f = tf_open_read(path("in.txt").c_str());
        ASSERT_NE(f, nullptr);
        TfRecord r;
        size_t i = 0;
        for (int n; (n = tf_read_record(f, size, &r)) >= 0; i++) {
            ASSERT_LT(i, want.size());
            ASSERT_EQ(n, r.length);
            ASSERT_EQ(std::string(r.bytes, n), want[i]);
            const size_t nul = want[i].find('\0');
            ASSERT_EQ(r.nul, nul == std::string::npos ? -1 : static_cast<int>(nul));
            const int text = nul == std::string::npos ? n : static_cast<int>(nul);
            ASSERT_EQ(std::string(r.text, text), want[i].substr(0, text));
            for (int k = text; k < size; k++) ASSERT_EQ(r.text[k], '\0') << "text byte " << k << " of read " << i;
            for (int k = n; k < size; k++) ASSERT_EQ(r.bytes[k], '\0') << "byte " << k << " of read " << i;
        }
        EXPECT_EQ(i, want.size());
        EXPECT_EQ(tf_close(f, 0), 0);
    }
};

// What tf_gets must give: CR LF becomes LF, then lines end after an LF or at
// size - 1 bytes.
std::vector<std::string> model(const std::string& bytes, int size) {
    std::string t;
    for (size_t i = 0; i < bytes.size(); i++)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) t += bytes[i];
    std::vector<std::string> out;
    for (size_t i = 0; i < t.size();) {
        size_t n = 0;
        while (i + n < t.size() && n < static_cast<size_t>(size - 1) && t[i + n++] != '\n') {}
        out.push_back(t.substr(i, n));
        i += n;
    }
    return out;
}

std::string crlf(const std::string& s) {
    std::string t;
    for (char c : s) t += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return t;
}

std::string random_bytes(size_t n, unsigned seed, const std::string& alphabet) {
    std::mt19937 rng(seed);
    std::string s(n, ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
}

}  // namespace

TEST_F(TextFileTest, RandomContentMatchesModel) {
    // CRs, LFs, NULs and 0x1A sprinkled over 300 KB, read with various sizes.
    std::string s = random_bytes(300000, 17, std::string("abc\r\r\n\n\x1A\0", 9) + std::string(40, 'z'));
    for (int size : {2, 3, 255, 4096, 70000}) EXPECT_EQ(lines(s, size), model(s, size)) << "size " << size;
    std::string dense = random_bytes(200000, 18, "\r\n");
    EXPECT_EQ(lines(dense, 255), model(dense, 255));
}

TEST_F(TextFileTest, WriteTurnsEveryLfIntoCrLf) {
    std::string s = random_bytes(300000, 23, std::string("ab\n\r\0\x1A", 6) + std::string(30, 'y'));
    std::string longruns =
        std::string(65535, 'a') + "\n" + std::string(70000, '\n') + "x" + std::string(65534, 'q') + "\n";
    for (const std::string* src : {&s, &longruns}) {
        for (int chunk : {1, 7, 4096, 65535, 65536, 400000}) {
            TextFile* f = tf_open_new(path("out.txt").c_str());
            ASSERT_NE(f, nullptr);
            for (size_t i = 0; i < src->size(); i += chunk) {
                int n = static_cast<int>(std::min(src->size() - i, static_cast<size_t>(chunk)));
                ASSERT_EQ(tf_write(f, src->data() + i, n), n);
            }
            EXPECT_EQ(tf_write(f, "", 0), 0);
            EXPECT_EQ(tf_close(f, 1), 0);
            ASSERT_TRUE(get("out.txt") == crlf(*src)) << "chunks of " << chunk << ", " << src->size() << " bytes";
        }
    }
}
