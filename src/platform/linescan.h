// Looking at many bytes at once for line ends: the inner loops of the text
// files' reads and of the counting copy. Eight-byte words everywhere, and
// SSE2 where the compiler targets it (every x86-64 build and the 32-bit
// Windows build); the two give the same masks.
#pragma once

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
static const bool little_endian = true;  // the first byte in memory is the lowest
#else
static const bool little_endian = false;
#endif

// Flags, in each byte of w, whether it is below 0x0E (a NUL, a tab, a CR, an
// LF, ...). The lowest flagged byte is exact; those above it may not be.
static inline unsigned long long below_0e(unsigned long long w) {
    return (w - 0x0E0E0E0E0E0E0E0EULL) & ~w & 0x8080808080808080ULL;
}

// The index of the first byte below 0x0E among the eight at q, m being
// below_0e of them (nonzero).
static inline int first_below_0e(const char* q, unsigned long long m) {
    if (little_endian) return __builtin_ctzll(m) / 8;
    int k = 0;
    while (static_cast<unsigned char>(q[k]) >= 0x0E) k++;
    return k;
}

// Per-byte flags of the bytes of w equal to the byte in every byte of c8:
// bit 7 of each such byte set, exactly (no borrow runs between bytes).
static inline unsigned long long equal_bytes(unsigned long long w, unsigned long long c8) {
    const unsigned long long t = w ^ c8;
    return ~(((t & 0x7F7F7F7F7F7F7F7FULL) + 0x7F7F7F7F7F7F7F7FULL) | t) & 0x8080808080808080ULL;
}

// Bit k of the result is byte k's flag (little-endian words).
static inline unsigned long long flag_bits(unsigned long long flags) {
    return ((flags >> 7) * 0x0102040810204080ULL) >> 56;
}

// The number of bits set, without the library call that the baseline
// instruction set would need.
static inline unsigned bit_count(unsigned long long x) {
    x = x - ((x >> 1) & 0x5555555555555555ULL);
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<unsigned>((x * 0x0101010101010101ULL) >> 56);
}

// Whether line_end_masks gives bit k for byte k on this target.
static const bool line_end_masks_exact =
#ifdef __SSE2__
    true;
#else
    little_endian;
#endif

// Masks of the LFs and CRs among the 64 bytes at q, bit k for byte k, from
// eight-byte words (little-endian only).
static inline void line_end_masks_words(const char* q, unsigned long long* lf, unsigned long long* cr) {
    *lf = *cr = 0;
    for (int i = 0; i < 8; i++) {
        unsigned long long w;
        std::memcpy(&w, q + 8 * i, 8);
        *lf |= flag_bits(equal_bytes(w, 0x0A0A0A0A0A0A0A0AULL)) << (8 * i);
        *cr |= flag_bits(equal_bytes(w, 0x0D0D0D0D0D0D0D0DULL)) << (8 * i);
    }
}

// The same masks, sixteen bytes at a time where SSE2 is there.
static inline void line_end_masks(const char* q, unsigned long long* lf, unsigned long long* cr) {
#ifdef __SSE2__
    const __m128i nl = _mm_set1_epi8('\n'), ret = _mm_set1_epi8('\r');
    *lf = *cr = 0;
    for (int i = 0; i < 4; i++) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16 * i));
        *lf |= static_cast<unsigned long long>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, nl))))
               << (16 * i);
        *cr |= static_cast<unsigned long long>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, ret))))
               << (16 * i);
    }
#else
    line_end_masks_words(q, lf, cr);
#endif
}

// The index of the first byte below 0x0E among the sixteen at q, or 16.
static inline int first_below_0e_16(const char* q) {
#ifdef __SSE2__
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const unsigned at_least =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(x, _mm_set1_epi8(0x0E)), x)));
    const unsigned below = ~at_least & 0xFFFFu;
    return below ? __builtin_ctz(below) : 16;
#else
    for (int h = 0; h < 16; h += 8) {
        unsigned long long w;
        std::memcpy(&w, q + h, 8);
        if (const unsigned long long m = below_0e(w)) return h + first_below_0e(q + h, m);
    }
    return 16;
#endif
}

// Stores sixteen bytes at d: the first k of s (k < 16), an LF, then zero
// bytes. One store, so that a later load of the sixteen bytes is forwarded.
static inline void copy16_line_end(char* d, const char* s, int k) {
#ifdef __SSE2__
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i at = _mm_set1_epi8(static_cast<char>(k));
    const __m128i keep = _mm_cmpgt_epi8(at, index);
    const __m128i lf = _mm_and_si128(_mm_cmpeq_epi8(at, index), _mm_set1_epi8('\n'));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_or_si128(_mm_and_si128(x, keep), lf));
#else
    for (int j = 0; j < 16; j++) d[j] = j < k ? s[j] : j == k ? '\n' : '\0';
#endif
}
