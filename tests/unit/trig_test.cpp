// The fill's own sin, cos and atan2: their results pinned bit for bit, and
// the special values and the ends of the domains as the C library gives them.
// How close they are to the exact values is measured by bench/trig_accuracy.
#include "fill/trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

double atan2_of(double y, double x) {
    double a;
    fill_atan2(y, x, &a);
    return a;
}

constexpr double pi = 3.141592653589793;

uint64_t bits(double x) {
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

double from_bits(uint64_t b) {
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

// x moved by d representable steps.
double nudge(double x, int d) {
    if (x == 0.0 || std::isinf(x)) return x;
    return from_bits(bits(x) + static_cast<uint64_t>(static_cast<int64_t>(d)));
}

// The bits themselves, pinned: a hash of 900000 results over arguments of
// our own generator (no library distribution), inside the domains. The
// 64-bit Windows build of the same loop, run under Wine, printed the same
// hash (the 32-bit one did too, before the domains shrank); a change
// here is a change of the bytes every build writes.
TEST(Trig, ResultBitsArePinned) {
    uint64_t state = 12345, h = 1469598103934665603u;
    auto next = [&state] {
        uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    };
    auto unit = [&next] { return static_cast<double>(next() >> 11) * 0x1p-53; };
    auto mix = [&h](double v) {
        const uint64_t b = bits(v);
        for (int i = 0; i < 8; i++) {
            h ^= (b >> (8 * i)) & 0xFF;
            h *= 1099511628211u;
        }
    };
    for (long i = 0; i < 300000; i++) {
        double x = (i & 1) ? from_bits(next()) : (unit() * 2.0 - 1.0) * pi;
        if (!(std::fabs(x) <= pi)) x = std::isfinite(x) ? std::ldexp(x, -1100) : 0.5;  // into the domain
        double s, c, a;
        fill_sincos(x, &s, &c);
        mix(s);
        mix(c);
        double y = i % 3 == 0 ? from_bits(next()) : unit() * 20.0 - 10.0;
        double x2 = i % 5 == 0 ? 0.0 : i % 3 == 1 ? from_bits(next()) : unit() * 20.0 - 10.0;
        if (!std::isfinite(y)) y = 1.0;
        if (!std::isfinite(x2)) x2 = -1.0;
        fill_atan2(y, x2, &a);
        mix(a);
    }
    EXPECT_EQ(h, 0x8aa8b08724088199u);
}

// Zeros of both signs, the ends of the domains and the values around them
// give the C library's results bit for bit.
TEST(Trig, SpecialValuesAsInC) {
    const double tiny = 4.9406564584124654e-324, big = 1.7976931348623157e308;
    const double v[] = {0.0, -0.0, tiny,          -tiny,          1e-300, -1e-300, 1.0,  -1.0,  3.0,    -3.0,
                        pi,  -pi,  nudge(pi, -1), -nudge(pi, -1), 20.0,   big,     -big, 1e300, pi / 2, -pi / 2};
    double s, c;
    for (double x : v) {
        if (std::fabs(x) <= pi) {
            fill_sincos(x, &s, &c);
            EXPECT_EQ(bits(s), bits(std::sin(x))) << std::hexfloat << x;
            EXPECT_EQ(bits(c), bits(std::cos(x))) << std::hexfloat << x;
        }
        for (double y : v) EXPECT_EQ(bits(atan2_of(y, x)), bits(std::atan2(y, x))) << std::hexfloat << y << ", " << x;
    }
    // The direction straight up: its cosine is pi/2's rounding error.
    fill_sincos(atan2_of(20.0, 0.0), &s, &c);
    EXPECT_EQ(c, 6.123233995736766e-17);
    EXPECT_EQ(s, 1.0);
}

}  // namespace
