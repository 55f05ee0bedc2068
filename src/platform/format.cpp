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

// The digits of v (finite, not negative) with prec decimals, into buf (n
// bytes); returns where they are and stores their length in *len.
const char* fixed_digits(char* buf, int n, double v, int prec, int* len) {
    *len = static_cast<int>(std::to_chars(buf, buf + n, v, std::chars_format::fixed, prec).ptr - buf);
    return buf;
}

void conv_double(Out& o, double v, int prec) {
    // 309 integer digits at most, the point and the decimals
    char buf[400 + 64];
    if (std::signbit(v)) put(o, '-');
    int n;
    // std::to_chars spells an infinity or a NaN as printf does.
    const char* digits = fixed_digits(buf, sizeof buf, std::fabs(v), prec > 64 ? 64 : prec, &n);
    put_run(o, digits, n);
}

// The digits of v, zeros before them up to the width.
void conv_unsigned(Out& o, unsigned v, int base, int width) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v, base);
    int n = static_cast<int>(r.ptr - buf);
    for (int k = n; k < width; k++) put(o, '0');
    put_run(o, buf, n);
}

// One conversion, its argument taken from *ap.
void convert(Out& o, char c, int width, int prec, va_list* ap) {
    switch (c) {
    case 'd': {
        int v = va_arg(*ap, int);
        if (v < 0) put(o, '-');
        conv_unsigned(o, v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v), 10, width);
        break;
    }
    case 'u':
        conv_unsigned(o, va_arg(*ap, unsigned), 10, width);
        break;
    case 'x':
        conv_unsigned(o, va_arg(*ap, unsigned), 16, width);
        break;
    case 'c':
        put(o, static_cast<char>(va_arg(*ap, int)));
        break;
    case 's': {
        const char* text = va_arg(*ap, const char*);
        put_run(o, text, static_cast<int>(std::strlen(text)));
        break;
    }
    case 'f':
        conv_double(o, va_arg(*ap, double), prec);
        break;
    }  // no other letter: no format of the program has one
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
        // A width (led by the zero flag: "%06x"), a precision ("%.2f", else
        // printf's 6) and an l that changes nothing ("%.1lf").
        int width = 0, prec = 6;
        for (f++; *f >= '0' && *f <= '9'; f++) width = width * 10 + (*f - '0');
        if (*f == '.')
            for (prec = 0, f++; *f >= '0' && *f <= '9'; f++) prec = prec * 10 + (*f - '0');
        while (*f == 'l') f++;
        convert(o, *f, width, prec, &args);
        if (*f) f++;
    }
    va_end(args);
    *o.p = '\0';
    return static_cast<int>(o.p - out);
}
