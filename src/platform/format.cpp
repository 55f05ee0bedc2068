#include "platform/format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

struct Out {
    char* p;
    char* end;  // one before the last byte: room for the terminator
};

void put(Out& o, char c) {
    if (o.p < o.end) *o.p++ = c;
}

void put_run(Out& o, const char* s, int n) {
    int room = static_cast<int>(o.end - o.p);
    if (n > room) n = room;
    if (n > 0) {
        std::memcpy(o.p, s, static_cast<size_t>(n));
        o.p += n;
    }
}

void pad(Out& o, char c, int n) {
    while (n-- > 0) put(o, c);
}

// Writes body (with a sign prefix, "" or "-") into its field: left- or
// right-aligned, zero padding after the sign.
void field(Out& o, const char* sign, const char* body, int n, int width, bool left, bool zero) {
    int sl = sign[0] ? 1 : 0;  // "" or "-"
    int fill = width - sl - n;
    if (left) {
        put_run(o, sign, sl);
        put_run(o, body, n);
        pad(o, ' ', fill);
    } else if (zero) {
        put_run(o, sign, sl);
        pad(o, '0', fill);
        put_run(o, body, n);
    } else {
        pad(o, ' ', fill);
        put_run(o, sign, sl);
        put_run(o, body, n);
    }
}

const char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void put_pair(char* p, unsigned v) { std::memcpy(p, digit_pairs + 2 * v, 2); }

// The decimal digits of n, at least min_digits of them (leading zeros), so
// that they end just before end; returns where they start. Eight digits at a
// time, whose four pairs are worked out independently of each other.
char* put_digits(char* end, std::uint64_t n, int min_digits) {
    char* p = end;
    while (n >= 100000000) {
        const std::uint64_t q = n / 100000000;
        const auto r = static_cast<std::uint32_t>(n - q * 100000000);
        const std::uint32_t hi = r / 10000, lo = r % 10000;
        p -= 8;
        put_pair(p, hi / 100);
        put_pair(p + 2, hi % 100);
        put_pair(p + 4, lo / 100);
        put_pair(p + 6, lo % 100);
        n = q;
    }
    auto m = static_cast<std::uint32_t>(n);
    while (m >= 100) {
        p -= 2;
        put_pair(p, m % 100);
        m /= 100;
    }
    if (m >= 10) {
        p -= 2;
        put_pair(p, m);
    } else {
        *--p = static_cast<char>('0' + m);
    }
    while (end - p < min_digits) *--p = '0';
    return p;
}

// n / 10^k into *whole, and n % 10^k returned, for k from 1 to 12: each case
// divides by a constant, which compiles to a multiplication.
template <std::uint64_t P>
std::uint64_t split_by(std::uint64_t n, std::uint64_t* whole) {
    *whole = n / P;
    return n % P;
}

std::uint64_t split(std::uint64_t n, int k, std::uint64_t* whole) {
    switch (k) {
    case 1:
        return split_by<10>(n, whole);
    case 2:
        return split_by<100>(n, whole);
    case 3:
        return split_by<1000>(n, whole);
    case 4:
        return split_by<10000>(n, whole);
    case 5:
        return split_by<100000>(n, whole);
    case 6:
        return split_by<1000000>(n, whole);
    case 7:
        return split_by<10000000>(n, whole);
    case 8:
        return split_by<100000000>(n, whole);
    case 9:
        return split_by<1000000000>(n, whole);
    case 10:
        return split_by<10000000000>(n, whole);
    case 11:
        return split_by<100000000000>(n, whole);
    default:
        return split_by<1000000000000>(n, whole);
    }
}

// 5^k for the decimals that the fast path below handles, and the bound
// 10^(18 - k) below which v * 10^k stays under 10^18.
const std::uint64_t pow5[] = {1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125, 9765625, 48828125, 244140625};
const double bound[] = {1e18, 1e17, 1e16, 1e15, 1e14, 1e13, 1e12, 1e11, 1e10, 1e9, 1e8, 1e7, 1e6};
const int FAST_PREC_MAX = 12;

// The digits of v (finite, not negative) with prec decimals, rounded from its
// exact binary value to the nearest and ties to even, as printf rounds. Works
// for prec up to FAST_PREC_MAX and v * 10^prec below 10^18, the coordinates
// and sizes of a drawing, in plain 64-bit integer arithmetic. The text is
// built at the end of buf (FIXED_BUF bytes); returns where it starts and
// stores its length in *len, or returns nullptr for any other value, which
// std::to_chars takes.
enum { FIXED_BUF = 32 };
const char* fixed_digits(char* buf, double v, int prec, int* len) {
    if (prec > FAST_PREC_MAX || !(v < bound[prec])) return nullptr;
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const int biased = static_cast<int>(bits >> 52);  // the sign is 0
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int e = -1074;  // v = m * 2^e
    if (biased != 0) {
        m |= std::uint64_t{1} << 52;
        e = biased - 1075;
    }
    // N = v * 10^prec = m * 5^prec * 2^(e + prec), below 10^18 by the test
    // above. m * 5^prec has up to 81 bits: hi and lo hold it.
    const std::uint64_t q = pow5[prec];
    const std::uint64_t p0 = (m & 0xFFFFFFFFu) * q, p1 = (m >> 32) * q;
    std::uint64_t lo = p0 + (p1 << 32);
    std::uint64_t hi = (p1 >> 32) + (lo < p0 ? 1 : 0);
    const int t = e + prec;
    std::uint64_t n;
    if (t >= 0) {
        n = lo << t;  // an integer already: hi is 0 and nothing is lost
    } else if (-t >= 128) {
        n = 0;  // far below half a unit of the last decimal: rounds to 0
    } else {
        // n = X >> s; the bits shifted out decide the rounding against half
        // of 2^s.
        const int s = -t;
        std::uint64_t rh, rl, hh, hl;  // remainder and half, 128 bits each
        if (s < 64) {
            n = (lo >> s) | (hi << (64 - s));
            rh = 0;
            rl = lo & ((std::uint64_t{1} << s) - 1);
            hh = 0;
            hl = std::uint64_t{1} << (s - 1);
        } else {
            n = s == 64 ? hi : hi >> (s - 64);
            rh = s == 64 ? 0 : hi & ((std::uint64_t{1} << (s - 64)) - 1);
            rl = lo;
            hh = s == 64 ? 0 : std::uint64_t{1} << (s - 65);
            hl = s == 64 ? std::uint64_t{1} << 63 : 0;
        }
        const bool above = rh > hh || (rh == hh && rl > hl);
        const bool tie = rh == hh && rl == hl;
        if (above || (tie && (n & 1))) n++;
    }
    // The last prec digits of n after the point, the others (at least one)
    // before it.
    char* end = buf + FIXED_BUF;
    char* p = end;
    if (prec > 0) {
        std::uint64_t whole;
        p = put_digits(p, split(n, prec, &whole), prec);
        *--p = '.';
        n = whole;
    }
    p = put_digits(p, n, 1);
    *len = static_cast<int>(end - p);
    return p;
}

// The digits of recent conversions by value and precision, of which they are
// a function: the records of a run repeat their numbers (every fill pair of a
// run places the same line with the same sizes), so most conversions are
// found here. Direct-mapped; an entry of length 0 is empty.
struct Recent {
    std::uint64_t bits;
    int prec, len;
    char text[FIXED_BUF];
};
Recent recent[16];

const char* fixed_digits_recent(char* buf, double v, int prec, int* len) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    Recent& r = recent[((bits * 0x9E3779B97F4A7C15u) >> 60 ^ static_cast<unsigned>(prec)) & 15];
    if (r.len > 0 && r.bits == bits && r.prec == prec) {
        *len = r.len;
        return r.text;
    }
    const char* p = fixed_digits(buf, v, prec, len);
    if (p) {
        r.bits = bits;
        r.prec = prec;
        r.len = *len;
        std::memcpy(r.text, p, static_cast<size_t>(*len));
    }
    return p;
}

void conv_double(Out& o, double v, int prec, int width, bool left, bool zero) {
    // 309 integer digits at most, the point and the decimals
    char buf[400 + 64];
    const char* sign = std::signbit(v) ? "-" : "";
    if (std::isnan(v)) {
        field(o, sign, "nan", 3, width, left, false);
        return;
    }
    if (std::isinf(v)) {
        field(o, sign, "inf", 3, width, left, false);
        return;
    }
    int n;
    const char* digits = fixed_digits_recent(buf, std::fabs(v), prec, &n);
    if (!digits) {
        if (prec > 64) prec = 64;
        n = static_cast<int>(std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, prec).ptr -
                             buf);
        digits = buf;
    }
    field(o, sign, digits, n, width, left, zero);
}

void conv_unsigned(Out& o, unsigned v, int base, const char* sign, int width, bool left, bool zero) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v, base);
    field(o, sign, buf, static_cast<int>(r.ptr - buf), width, left, zero);
}

// One conversion's flags, width and precision (-1: none given).
struct Conversion {
    bool left, zero;
    int width, prec;
};

// Reads the flags, width, precision and length letters behind a '%'; returns
// the conversion letter's place.
const char* read_conversion(const char* f, Conversion* s) {
    *s = {false, false, 0, -1};
    for (;; f++) {
        if (*f == '-') s->left = true;
        else if (*f == '0') s->zero = true;
        else break;
    }
    while (*f >= '0' && *f <= '9') s->width = s->width * 10 + (*f++ - '0');
    if (*f == '.') {
        f++;
        s->prec = 0;
        while (*f >= '0' && *f <= '9') s->prec = s->prec * 10 + (*f++ - '0');
    }
    while (*f == 'l') f++;
    return f;
}

// One conversion, its argument taken from *ap.
void convert(Out& o, char c, const Conversion& s, va_list* ap) {
    switch (c) {
    case 'd':
    case 'i': {
        int v = va_arg(*ap, int);
        unsigned mag = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
        conv_unsigned(o, mag, 10, v < 0 ? "-" : "", s.width, s.left, s.zero);
        break;
    }
    case 'u':
        conv_unsigned(o, va_arg(*ap, unsigned), 10, "", s.width, s.left, s.zero);
        break;
    case 'x':
        conv_unsigned(o, va_arg(*ap, unsigned), 16, "", s.width, s.left, s.zero);
        break;
    case 'c': {
        char ch = static_cast<char>(va_arg(*ap, int));
        field(o, "", &ch, 1, s.width, s.left, false);
        break;
    }
    case 's': {
        const char* text = va_arg(*ap, const char*);
        int n = static_cast<int>(std::strlen(text));
        if (s.prec >= 0 && n > s.prec) n = s.prec;
        field(o, "", text, n, s.width, s.left, false);
        break;
    }
    case 'f':
        conv_double(o, va_arg(*ap, double), s.prec < 0 ? 6 : s.prec, s.width, s.left, s.zero);
        break;
    case '%':
        put(o, '%');
        break;
    default:  // unknown conversion: print it as it stands
        put(o, '%');
        if (c) put(o, c);
        break;
    }
}

}  // namespace

int fmt_vformat(char* out, int cap, const char* fmt, va_list ap) {
    Out o{out, out + cap - 1};
    va_list args;
    va_copy(args, ap);
    for (const char* f = fmt; *f;) {
        if (*f != '%') {
            const char* run = f;
            while (*f && *f != '%') f++;
            put_run(o, run, static_cast<int>(f - run));
            continue;
        }
        Conversion s;
        f = read_conversion(f + 1, &s);
        convert(o, *f, s, &args);
        if (*f) f++;
    }
    va_end(args);
    *o.p = '\0';
    return static_cast<int>(o.p - out);
}

int fmt_format(char* out, int cap, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    int n = fmt_vformat(out, cap, fmt, ap);
    va_end(ap);
    return n;
}
