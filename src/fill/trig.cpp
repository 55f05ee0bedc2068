// Sine, cosine and atan2, correctly rounded in practice and the same on every
// build. Standard algorithms:
//
// - Double-double arithmetic: a value is an unevaluated sum hi + lo of two
//   doubles, about 106 bits, built from the error-free sum and product
//   (two_sum; two_prod, Dekker's product with Veltkamp's splitting). Only +, -, *, / and
//   comparisons on doubles, and integer operations on their bits: the builds
//   compile without fused multiply-add and with SSE2 doubles, so every
//   operation rounds the same everywhere.
// - Payne-Hanek argument reduction for sin and cos: x = n * pi/2 + r with
//   |r| <= pi/4, computed exactly from the bits of 2/pi (an integer product
//   with a 256-bit window of them, whatever the size of x).
// - Taylor series of sin r and cos r, evaluated by Horner's rule in
//   double-double.
// - atan2 by a table of atan(i/8): the quotient u <= 1 of the smaller by the
//   larger magnitude; atan u = atan(i/8) + atan((u - i/8) / (1 + u i/8)) with
//   the second argument at most 1/16 in magnitude, and its Taylor series.
//
// The error before the final rounding is far below 2^-70 relative, so the
// result is the correctly rounded one unless the exact value lies that close
// to the midpoint of two doubles. The series' term counts are those of the
// tables that tools/trig_tables.py writes.
#include "fill/trig.h"

#include <cstdint>
#include <cstring>

#include "fill/trig_tables.h"

namespace {

struct dd {
    double hi, lo;
};

uint64_t bits_of(double x) {
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

double from_bits(uint64_t b) {
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

// 2^k for -1022 <= k <= 1023.
double pow2(int k) { return from_bits(static_cast<uint64_t>(k + 1023) << 52); }

// Exact, and without the x87 conversion a compiler may use for unsigned
// values on 32-bit x86.
double from_u32(uint32_t w) {
    return static_cast<double>(static_cast<int32_t>(w >> 16)) * 65536.0 +
           static_cast<double>(static_cast<int32_t>(w & 0xFFFF));
}

// s + e = a + b exactly.
dd two_sum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// The same for |a| >= |b| (or a == 0).
dd fast_two_sum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// a = hi + lo with hi holding the upper 26 bits (|a| well below 2^996).
void split(double a, double* hi, double* lo) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    *hi = c - (c - a);
    *lo = a - *hi;
}

// p + e = a * b exactly (barring underflow).
dd two_prod(double a, double b) {
    const double p = a * b;
    double ah, al, bh, bl;
    split(a, &ah, &al);
    split(b, &bh, &bl);
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

dd add(dd a, dd b) {
    const dd s = two_sum(a.hi, b.hi);
    const dd t = two_sum(a.lo, b.lo);
    dd r = fast_two_sum(s.hi, s.lo + t.hi);
    return fast_two_sum(r.hi, r.lo + t.lo);
}

dd add_d(dd a, double b) {
    const dd s = two_sum(a.hi, b);
    return fast_two_sum(s.hi, s.lo + a.lo);
}

dd neg(dd a) { return {-a.hi, -a.lo}; }

dd mul(dd a, dd b) {
    const dd p = two_prod(a.hi, b.hi);
    return fast_two_sum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

dd div(dd a, dd b) {
    const double q1 = a.hi / b.hi;
    const dd r = add(a, neg(mul(b, {q1, 0.0})));
    const double q2 = r.hi / b.hi;
    const dd r2 = add(r, neg(mul(b, {q2, 0.0})));
    const double q3 = r2.hi / b.hi;
    return add_d(fast_two_sum(q1, q2), q3);
}

dd constant(const double c[2]) { return {c[0], c[1]}; }

// sum c[k] z^k for k < n, by Horner's rule.
dd poly(const double (*c)[2], int n, dd z) {
    dd p = constant(c[n - 1]);
    for (int k = n - 2; k >= 0; k--) p = add(mul(p, z), constant(c[k]));
    return p;
}

// The number of terms each table holds.
template <int N>
constexpr int terms(const double (&)[N][2]) {
    return N;
}

dd sin_kernel(dd r) { return mul(r, poly(trig_sin_c, terms(trig_sin_c), mul(r, r))); }
dd cos_kernel(dd r) { return poly(trig_cos_c, terms(trig_cos_c), mul(r, r)); }

// Payne-Hanek: x = n * pi/2 + r for finite x >= 0, |r| <= pi/4; returns n mod 4.
int reduce(double x, dd* r) {
    if (x <= 0x1.921fb54442d18p-1) {  // pi/4 rounded down
        *r = {x, 0.0};
        return 0;
    }
    const uint64_t b = bits_of(x);
    const uint64_t m = (b & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52);
    const int e = static_cast<int>(b >> 52) - 1075;  // x = m * 2^e, e >= -53
    // x * 2/pi mod 4: the words of 2/pi before k0 only add multiples of 4;
    // the eight from k0 on leave an error below 2^-169, against a fraction of
    // no less than about 2^-62 for any double.
    const int k0 = e - 2 >= 32 ? (e - 2) / 32 : 0;
    uint32_t w[8];
    for (int i = 0; i < 8; i++) w[i] = trig_two_over_pi[k0 + 7 - i];  // least significant first
    uint32_t p[10] = {0};
    const uint32_t mpart[2] = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32)};
    for (int j = 0; j < 2; j++) {
        uint64_t carry = 0;
        for (int i = 0; i < 8; i++) {
            const uint64_t t = uint64_t(mpart[j]) * w[i] + p[i + j] + carry;
            p[i + j] = static_cast<uint32_t>(t);
            carry = t >> 32;
        }
        p[8 + j] = static_cast<uint32_t>(carry);
    }
    // Bit `point` of the product p has the weight 1: x * 2/pi = p * 2^-point.
    const int point = 32 * (k0 + 8) - e;  // 223 .. 309
    auto bit = [&p](int i) -> uint32_t { return i < 320 ? (p[i / 32] >> (i % 32)) & 1u : 0u; };
    int n = static_cast<int>(bit(point) | (bit(point + 1) << 1));
    // Keep the fraction; from a half on, take the next integer and the
    // (negative) difference to it.
    const int top = (point - 1) / 32;
    p[top] &= point % 32 == 0 ? 0xFFFFFFFFu : (uint32_t(1) << (point % 32)) - 1;
    for (int i = top + 1; i < 10; i++) p[i] = 0;
    const bool negative = bit(point - 1) != 0;
    if (negative) {
        n = (n + 1) & 3;
        uint64_t borrow = 0;  // p = 2^point - p
        for (int i = 0; i <= top; i++) {
            const uint64_t t = uint64_t(0) - p[i] - borrow;
            p[i] = static_cast<uint32_t>(t);
            borrow = (t >> 32) & 1;
        }
        p[top] &= point % 32 == 0 ? 0xFFFFFFFFu : (uint32_t(1) << (point % 32)) - 1;
    }
    int t = top;
    while (t > 0 && p[t] == 0) t--;
    dd f = {0.0, 0.0};
    for (int i = t; i >= 0 && i >= t - 4; i--) f = add_d(f, from_u32(p[i]) * pow2(32 * i - point));
    *r = mul(f, {trig_pi_2_hi, trig_pi_2_lo});
    if (negative) *r = neg(*r);
    return n;
}

double round_dd(dd a) { return a.hi + a.lo; }

}  // namespace

void fill_sincos(double x, double* s, double* c) {
    const uint64_t b = bits_of(x);
    const uint64_t ab = b & ~(uint64_t(1) << 63);
    if (ab >= 0x7FF0000000000000u) {  // NaN from infinity or NaN
        *s = *c = x - x;
        return;
    }
    if (ab < 0x3E40000000000000u) {  // |x| < 2^-27
        *s = x;
        *c = 1.0;
        return;
    }
    dd r;
    const int n = reduce(from_bits(ab), &r);
    // x = n pi/2 + r: sin x = sin r, cos r, -sin r, -cos r for n = 0 .. 3,
    // and cos x = sin(x + pi/2).
    const dd sr = sin_kernel(r), cr = cos_kernel(r);
    dd sv = (n & 1) ? cr : sr, cv = (n & 1) ? neg(sr) : cr;
    if (n & 2) {
        sv = neg(sv);
        cv = neg(cv);
    }
    if ((b >> 63) != 0) sv = neg(sv);
    *s = round_dd(sv);
    *c = round_dd(cv);
}

void fill_atan2(double y, double x, double* result) {
    const uint64_t by = bits_of(y), bx = bits_of(x);
    const bool ym = (by >> 63) != 0, xm = (bx >> 63) != 0;
    const double ay = from_bits(by & ~(uint64_t(1) << 63));
    const double ax = from_bits(bx & ~(uint64_t(1) << 63));
    if (ax != ax || ay != ay) {
        *result = x + y;
        return;
    }
    const dd pi = {trig_pi_hi, trig_pi_lo}, pi_2 = {trig_pi_2_hi, trig_pi_2_lo};
    double mag;  // the result for y >= 0
    if (ay == 0.0) {
        mag = xm ? round_dd(pi) : 0.0;
    } else if (ax == 0.0) {
        mag = round_dd(pi_2);
    } else if (ay == __builtin_inf() || ax == __builtin_inf()) {
        if (ax != __builtin_inf()) {
            mag = round_dd(pi_2);
        } else if (ay != __builtin_inf()) {
            mag = xm ? round_dd(pi) : 0.0;
        } else {
            const dd q = {trig_pi_hi / 4, trig_pi_lo / 4};
            mag = round_dd(xm ? add(pi, neg(q)) : q);
        }
    } else {
        // u = small / big <= 1, both scaled so that big is in [1, 2).
        const bool swap = ay > ax;
        double num = swap ? ax : ay, den = swap ? ay : ax;
        dd u;
        const int ed = static_cast<int>(bits_of(den) >> 52), en = static_cast<int>(bits_of(num) >> 52);
        if (ed - en > 80) {
            // atan u = u within far less than an ulp; IEEE division rounds
            // correctly, subnormal quotients included.
            u = {num / den, 0.0};
        } else {
            // Scale by powers of two in two steps, each exact (num stays
            // normal since it is at most 2^80 below den).
            const int k = ed - 1023;
            const double s1 = pow2(-k / 2), s2 = pow2(-(k - k / 2));
            num = num * s1 * s2;
            den = den * s1 * s2;
            const double q = num / den;
            const dd pq = two_prod(q, den);
            const double rem = (num - pq.hi) - pq.lo;
            u = fast_two_sum(q, rem / den);
        }
        // atan u = atan(i/8) + atan(t), t = (u - c) / (1 + u c), c = i/8.
        const int i = static_cast<int>(u.hi * 8.0 + 0.5);
        const double c = i * 0.125;
        const dd tn = add_d({u.hi - c, 0.0}, u.lo);
        const dd td = add_d(mul(u, {c, 0.0}), 1.0);
        const dd t = div(tn, td);
        dd a = add(constant(trig_atan_i8[i]), mul(t, poly(trig_atan_c, terms(trig_atan_c), mul(t, t))));
        if (swap) a = add(pi_2, neg(a));
        if (xm) a = add(pi, neg(a));
        mag = round_dd(a);
    }
    *result = ym ? -mag : mag;
}
