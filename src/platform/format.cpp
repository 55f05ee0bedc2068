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

// Conversions of recent values, by value and precision, of which the digits
// are a function: the records of a run repeat their numbers (every fill pair
// of a run places the same line with the same sizes), so most conversions
// are found here. Direct-mapped; an entry of length 0 is empty.
enum { RECENT_DIGITS = 32 };
struct Recent {
    std::uint64_t bits;
    int prec, len;
    char text[RECENT_DIGITS];
};
Recent recent[16];

// The digits of v (finite, not negative) with prec decimals, into buf (n
// bytes); returns where they are and stores their length in *len.
const char* fixed_digits(char* buf, int n, double v, int prec, int* len) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    Recent& r = recent[((bits * 0x9E3779B97F4A7C15u) >> 60 ^ static_cast<unsigned>(prec)) & 15];
    if (r.len > 0 && r.bits == bits && r.prec == prec) {
        *len = r.len;
        return r.text;
    }
    *len = static_cast<int>(std::to_chars(buf, buf + n, v, std::chars_format::fixed, prec).ptr - buf);
    if (*len <= RECENT_DIGITS) {
        r.bits = bits;
        r.prec = prec;
        r.len = *len;
        std::memcpy(r.text, buf, static_cast<size_t>(*len));
    }
    return buf;
}

void conv_double(Out& o, double v, int prec, int width, bool left, bool zero) {
    // 309 integer digits at most, the point and the decimals
    char buf[400 + 64];
    const char* sign = std::signbit(v) ? "-" : "";
    int n;
    // std::to_chars spells an infinity or a NaN as printf does; no zeros go before it.
    const char* digits = fixed_digits(buf, sizeof buf, std::fabs(v), prec > 64 ? 64 : prec, &n);
    field(o, sign, digits, n, width, left, zero && std::isfinite(v));
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
