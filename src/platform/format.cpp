#include "platform/format.h"

#include <charconv>
#include <cmath>
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

// Writes body (with an optional sign prefix) into its field: left- or
// right-aligned, zero padding after the sign.
void field(Out& o, const char* sign, const char* body, int n, int width, bool left, bool zero) {
    int sl = static_cast<int>(std::strlen(sign));
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
    if (prec > 64) prec = 64;
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, prec);
    field(o, sign, buf, static_cast<int>(r.ptr - buf), width, left, zero);
}

void conv_unsigned(Out& o, unsigned v, int base, const char* sign, int width, bool left, bool zero) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v, base);
    field(o, sign, buf, static_cast<int>(r.ptr - buf), width, left, zero);
}

}  // namespace

int fmt_vformat(char* out, int cap, const char* fmt, va_list ap) {
    Out o{out, out + cap - 1};
    for (const char* f = fmt; *f;) {
        if (*f != '%') {
            const char* run = f;
            while (*f && *f != '%') f++;
            put_run(o, run, static_cast<int>(f - run));
            continue;
        }
        f++;
        bool left = false, zero = false;
        for (;; f++) {
            if (*f == '-') left = true;
            else if (*f == '0') zero = true;
            else break;
        }
        int width = 0;
        while (*f >= '0' && *f <= '9') width = width * 10 + (*f++ - '0');
        int prec = -1;
        if (*f == '.') {
            f++;
            prec = 0;
            while (*f >= '0' && *f <= '9') prec = prec * 10 + (*f++ - '0');
        }
        while (*f == 'l') f++;
        switch (*f) {
        case 'd':
        case 'i': {
            int v = va_arg(ap, int);
            unsigned mag = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
            conv_unsigned(o, mag, 10, v < 0 ? "-" : "", width, left, zero);
            break;
        }
        case 'u':
            conv_unsigned(o, va_arg(ap, unsigned), 10, "", width, left, zero);
            break;
        case 'x':
            conv_unsigned(o, va_arg(ap, unsigned), 16, "", width, left, zero);
            break;
        case 'c': {
            char c = static_cast<char>(va_arg(ap, int));
            field(o, "", &c, 1, width, left, false);
            break;
        }
        case 's': {
            const char* s = va_arg(ap, const char*);
            int n = static_cast<int>(std::strlen(s));
            if (prec >= 0 && n > prec) n = prec;
            field(o, "", s, n, width, left, false);
            break;
        }
        case 'f':
            conv_double(o, va_arg(ap, double), prec < 0 ? 6 : prec, width, left, zero);
            break;
        case '%':
            put(o, '%');
            break;
        default:  // unknown conversion: print it as it stands
            put(o, '%');
            if (*f) put(o, *f);
            break;
        }
        if (*f) f++;
    }
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
