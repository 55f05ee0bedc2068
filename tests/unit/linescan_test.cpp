// The many-bytes-at-once scans against a byte loop: the masks decide which
// stretches the counting copy takes whole, so one wrong bit miscounts a file.
#include "platform/linescan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

void byte_masks(const char* q, unsigned long long* lf, unsigned long long* cr) {
    *lf = *cr = 0;
    for (int k = 0; k < 64; k++) {
        if (q[k] == '\n') *lf |= 1ULL << k;
        if (q[k] == '\r') *cr |= 1ULL << k;
    }
}

TEST(LineScan, MasksMatchByteLoop) {
    std::mt19937_64 rng(7);
    // Line ends among bytes next to them in value, high bytes and NULs.
    const std::string alphabet =
        std::string("\n\r\x0b\x0c\x0e\x09\x8a\x8d\xff\x80\x7f", 11) + std::string(1, '\0') + "ab";
    std::string s(64 * 2000, ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    for (size_t i = 0; i + 64 <= s.size(); i += 61) {  // every alignment
        unsigned long long want_lf, want_cr, lf, cr;
        byte_masks(&s[i], &want_lf, &want_cr);
        line_end_masks(&s[i], &lf, &cr);
        ASSERT_EQ(lf, want_lf) << "at " << i;
        ASSERT_EQ(cr, want_cr) << "at " << i;
        if (little_endian) {
            line_end_masks_words(&s[i], &lf, &cr);
            ASSERT_EQ(lf, want_lf) << "words, at " << i;
            ASSERT_EQ(cr, want_cr) << "words, at " << i;
        }
        EXPECT_EQ(bit_count(lf), static_cast<unsigned>(__builtin_popcountll(want_lf)));
    }
}

TEST(LineScan, FirstByteBelow0x0E) {
    std::mt19937_64 rng(8);
    for (int t = 0; t < 20000; t++) {
        char q[8];
        int want = 8;
        for (int k = 0; k < 8; k++) {
            unsigned r = rng() % 40;
            q[k] = static_cast<char>(r < 2 ? rng() % 0x0E : r < 6 ? 0x0E + rng() % 3 : 0x80 + rng() % 0x80);
            if (want == 8 && static_cast<unsigned char>(q[k]) < 0x0E) want = k;
        }
        unsigned long long w;
        std::memcpy(&w, q, 8);
        const unsigned long long m = below_0e(w);
        ASSERT_EQ(m != 0, want < 8);
        if (m) { ASSERT_EQ(first_below_0e(q, m), want); }
    }
}

TEST(LineScan, SixteenBytesAtOnce) {
    std::mt19937_64 rng(9);
    for (int t = 0; t < 20000; t++) {
        char q[16], d[16];
        int want = 16;
        for (int k = 0; k < 16; k++) {
            unsigned r = rng() % 64;
            q[k] = static_cast<char>(r < 2    ? rng() % 0x0E
                                     : r < 6  ? 0x0E + rng() % 3
                                     : r < 30 ? 0x80 + rng() % 0x80
                                              : 'a');
            if (want == 16 && static_cast<unsigned char>(q[k]) < 0x0E) want = k;
        }
        ASSERT_EQ(first_below_0e_16(q), want);
        const int k = static_cast<int>(rng() % 16);
        std::memset(d, '#', sizeof d);
        copy16_line_end(d, q, k);
        for (int j = 0; j < 16; j++)
            ASSERT_EQ(d[j], j < k ? q[j] : j == k ? '\n' : '\0') << "k " << k << ", byte " << j;
    }
}

}  // namespace
