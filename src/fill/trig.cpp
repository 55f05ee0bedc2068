// Sine, cosine and atan2, correctly rounded in practice and the same on every
// build. Standard algorithms:
//
// - Double-double arithmetic: a value is an unevaluated sum hi + lo of two
//   doubles, about 106 bits, built from the error-free sum and product
//   (two_sum; two_prod, Dekker's product with Veltkamp's splitting). Only +, -, *, / and
//   comparisons on doubles, and integer operations on their bits: the builds
//   compile without fused multiply-add and with SSE2 doubles, so every
//   operation rounds the same everywhere.
// - Argument reduction for sin and cos on [-pi, pi], the range of atan2 and
//   so of every angle the fill turns: x = n * pi/2 + r with n at most 2 and
//   |r| about pi/4 at most, against pi/2 in three parts (Cody and Waite).
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
#include <limits>

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

// x = n * pi/2 + r for 0 <= x <= pi; returns n. x - n * hi is exact (x lies
// within a factor of two of n * hi), and the two further parts leave an error
// near 2^-160, against a remainder of no less than 2^-54 for any double.
int reduce(double x, dd* r) {
    const int n = x <= 0x1.921fb54442d18p-1 ? 0 : x <= 3 * 0x1.921fb54442d18p-1 ? 1 : 2;
    const dd t = two_sum(x - n * trig_pi_2_hi, -n * trig_pi_2_lo);
    *r = fast_two_sum(t.hi, t.lo - n * trig_pi_2_lo2);
    return n;
}

double round_dd(dd a) { return a.hi + a.lo; }

}  // namespace

void fill_sincos(double x, double* s, double* c) {
    const uint64_t b = bits_of(x);
    const uint64_t ab = b & ~(uint64_t(1) << 63);
    if (!(from_bits(ab) <= trig_pi_hi)) {  // outside the domain, or NaN
        *s = *c = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    if (ab < 0x3E40000000000000u) {  // |x| < 2^-27
        *s = x;
        *c = 1.0;
        return;
    }
    dd r;
    const int n = reduce(from_bits(ab), &r);
    // x = n pi/2 + r: sin x = sin r, cos r, -sin r for n = 0 .. 2, and
    // cos x = sin(x + pi/2).
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
    if (!(ax <= std::numeric_limits<double>::max() &&
          ay <= std::numeric_limits<double>::max())) {  // outside the domain: infinities, NaN
        *result = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    const dd pi = {trig_pi_hi, trig_pi_lo}, pi_2 = {trig_pi_2_hi, trig_pi_2_lo};
    double mag;  // the result for y >= 0
    if (ay == 0.0) {
        mag = xm ? round_dd(pi) : 0.0;
    } else if (ax == 0.0) {
        mag = round_dd(pi_2);
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
