#include "input/fields.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace {

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool is_hex(char c) { return is_digit(c) || (lower(c) >= 'a' && lower(c) <= 'f'); }

// The mantissa of a decimal number: digits with at most one point, at least
// one digit. `mag` receives the position of its first non-zero digit relative
// to the point (digits before it count up, zeros after it count down), so
// that an out-of-range value can be told to be too large or too small.
// Returns the end, or s when there is no digit.
const char* mantissa(const char* s, long* mag) {
    const char* q = s;
    long before = 0, lead_zeros = 0;
    bool seen_digit = false, seen_nonzero = false, after_point = false;
    for (;; q++) {
        if (*q == '.' && !after_point) {
            after_point = true;
            continue;
        }
        if (!is_digit(*q)) break;
        seen_digit = true;
        if (*q != '0') seen_nonzero = true;
        if (!after_point && seen_nonzero) before++;
        if (after_point && !seen_nonzero) lead_zeros++;
    }
    if (!seen_digit) return s;
    *mag = before > 0 ? before : -lead_zeros;
    return q;
}

// An exponent behind the mantissa ("e" or "E" and a signed decimal); taken
// only when it has a digit. Returns its end, or s.
const char* exponent(const char* s, long* value) {
    if (lower(*s) != 'e') return s;
    const char* q = s + 1;
    bool neg = false;
    if (*q == '+' || *q == '-') neg = *q++ == '-';
    if (!is_digit(*q)) return s;
    long v = 0;
    for (; is_digit(*q); q++)
        if (v < 100000000) v = v * 10 + (*q - '0');
    *value = neg ? -v : v;
    return q;
}

// A decimal number at s (digits with at most one point, an exponent), read in
// one pass when one IEEE operation gives it correctly rounded: significant
// digits up to 2^53, so that they are an exact double, and a power of ten
// from 10^-22 to 10^22, which is exact too; the product or quotient is then
// rounded once, as strtod rounds. The coordinates of a drawing are of this
// kind. Returns the end of the number, or nullptr for any other text, which
// the general path reads. Where doubles are evaluated in a wider format (x87)
// the single rounding is not certain, and nothing is read here. This is also
// the one range where std::from_chars computes in doubles, which the 32-bit
// Windows library does on the x87 and rounds twice ("4863949023981382e13"
// came out one ulp low), so the range must not reach it.
const char* fast_decimal(const char* s, double* out) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
    static const double pow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t w = 0;  // the significant digits
    int digits = 0;
    long k = 0;  // the power of ten that w is multiplied by
    const char* q = s;
    for (; is_digit(*q); q++) {
        if (w == 0 && *q == '0') continue;  // leading zeros are no digits
        if (++digits > 16) return nullptr;
        w = w * 10 + static_cast<unsigned>(*q - '0');
    }
    bool seen_digit = q > s;
    if (*q == '.') {
        const char* f = ++q;
        for (; is_digit(*q); q++) {
            k--;
            if (w == 0 && *q == '0') continue;
            if (++digits > 16) return nullptr;
            w = w * 10 + static_cast<unsigned>(*q - '0');
        }
        seen_digit = seen_digit || q > f;
    }
    if (!seen_digit) return nullptr;
    long exp = 0;
    q = exponent(q, &exp);
    k += exp;
    if (w == 0) {
        *out = 0.0;
        return q;
    }
    if (k < -22 || k > 22 || w > std::uint64_t{1} << 53) return nullptr;
    const double v = static_cast<double>(w);
    *out = k < 0 ? v / pow10[-k] : v * pow10[k];
    return q;
#else
    (void)s, (void)out;
    return nullptr;
#endif
}

// A number as the host writes and reads numbers (no leading space): an
// optional sign, digits with at most one point, an optional exponent,
// converted as strtod converts that text. inf, nan and hexadecimal are no
// numbers ("0x10" is the 0 before the x), nor is a value beyond the double
// range: none of them may reach a record. A value too small for a double is
// 0 or a subnormal, as strtod gives it. Returns the end, or s when nothing
// converts.
const char* read_double(const char* s, double* out) {
    const char* q = s;
    bool neg = false;
    if (*q == '+' || *q == '-') neg = *q++ == '-';
    double v;
    const char* end = fast_decimal(q, &v);
    if (end == nullptr) {
        // The grammar in front of the library's reading: a digit or a point
        // first, so that inf, nan and a second sign are no numbers; the
        // library's longest number is then ours.
        if (!is_digit(*q) && *q != '.') return s;
        auto r = std::from_chars(q, q + std::strlen(q), v, std::chars_format::general);
        end = r.ptr;
        if (r.ec == std::errc::result_out_of_range) {
            long mag = 0, exp = 0;
            exponent(mantissa(q, &mag), &exp);
            if (mag + exp > 0) return s;  // beyond the largest double
            v = 0.0;
        } else if (r.ec != std::errc()) {
            return s;
        }
    }
    *out = neg ? -v : v;
    return end;
}

// The magnitude of an integer in the given base, from its first digit on,
// saturating at UINT64_MAX; returns the end, or s when no digit stands there.
const char* read_magnitude(const char* s, std::uint64_t* v, int base) {
    auto r = std::from_chars(s, s + std::strlen(s), *v, base);
    if (r.ec == std::errc::result_out_of_range) *v = UINT64_MAX;
    else if (r.ec != std::errc()) return s;
    return r.ptr;
}

// Decimal integer with optional sign, saturating; returns the end, or s.
const char* read_int(const char* s, int* out) {
    const char* q = s;
    bool neg = false;
    if (*q == '+' || *q == '-') neg = *q++ == '-';
    std::uint64_t v = 0;
    const char* e = read_magnitude(q, &v, 10);
    if (e == q) return s;
    v = std::min<std::uint64_t>(v, std::uint64_t{INT32_MAX} + 1);
    const std::int64_t signed_v = neg ? -static_cast<std::int64_t>(v) : static_cast<std::int64_t>(v);
    *out = static_cast<int>(std::clamp<std::int64_t>(signed_v, INT32_MIN, INT32_MAX));
    return e;
}

}  // namespace

const char* skip_space(const char* s) {
    while (is_space(*s)) s++;
    return s;
}

int scan_lf(const char** p, double* out) {
    const char* s = skip_space(*p);
    const char* e = read_double(s, out);
    if (e == s) return 0;
    *p = e;
    return 1;
}

// The grammar alone decides, but where the value may be beyond the range:
// with d digits before the point and an exponent x it is below 10^(d + x),
// and only the conversion tells about a larger bound.
int skip_lf(const char** p) {
    const char* s = skip_space(*p);
    const char* e = s + (*s == '+' || *s == '-');
    const char* q = e;
    while (is_digit(*e)) e++;
    const long before = e - q;
    bool seen_digit = before > 0;
    if (*e == '.') {
        const char* f = ++e;
        while (is_digit(*e)) e++;
        seen_digit = seen_digit || e > f;
    }
    if (!seen_digit) return 0;
    long exp = 0;
    e = exponent(e, &exp);
    double v;
    if (before + exp > DBL_MAX_10_EXP && read_double(s, &v) == s) return 0;
    *p = e;
    return 1;
}

int scan_d(const char** p, int* out) {
    const char* s = skip_space(*p);
    const char* e = read_int(s, out);
    if (e == s) return 0;
    *p = e;
    return 1;
}

int scan_x(const char** p, int* out) {
    const char* s = skip_space(*p);
    const char* q = s;
    bool neg = false;
    if (*q == '+' || *q == '-') neg = *q++ == '-';
    if (q[0] == '0' && lower(q[1]) == 'x' && is_hex(q[2])) q += 2;
    std::uint64_t v = 0;
    const char* e = read_magnitude(q, &v, 16);
    if (e == q) return 0;
    std::uint32_t bits = static_cast<std::uint32_t>(std::min<std::uint64_t>(v, 0xFFFFFFFFu));
    if (neg) bits = 0u - bits;
    *out = static_cast<int>(bits);  // two's complement: the 32-bit pattern
    *p = e;
    return 1;
}

double text_to_double(const char* s) {
    double v = 0.0;
    read_double(skip_space(s), &v);
    return v;
}

int text_to_int(const char* s) {
    int v = 0;
    read_int(skip_space(s), &v);
    return v;
}
