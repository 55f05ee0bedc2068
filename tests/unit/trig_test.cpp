// The fill's own sin, cos and atan2 against the C library's over arguments of
// their domain: within 1 ulp of the library's, and where the two differ, no
// further from the exact value (the long double functions). LINETEXT_TRIG_ARGS
// sets the arguments per kind (200000, about a second; docs/reliability.md).
#include "fill/trig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

using Gen = std::mt19937_64;
constexpr double pi = 3.141592653589793;

double atan2_of(double y, double x) {
    double a;
    fill_atan2(y, x, &a);
    return a;
}

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

// Distance in ulps; 0 for two NaN, huge for a NaN against a number.
uint64_t ulps(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : UINT64_MAX;
    auto ord = [](double x) {
        const int64_t i = static_cast<int64_t>(bits(x));
        return i < 0 ? INT64_MIN - i : i;
    };
    const int64_t d = ord(a) - ord(b);
    return d < 0 ? static_cast<uint64_t>(-d) : static_cast<uint64_t>(d);
}

// x moved by d representable steps.
double nudge(double x, int d) {
    if (x == 0.0 || std::isinf(x)) return x;
    return from_bits(bits(x) + static_cast<uint64_t>(static_cast<int64_t>(d)));
}

// A double with random bits: every exponent, subnormals; finite, and at
// most max in magnitude.
double random_bits(Gen& g, double max = HUGE_VAL) {
    for (;;)
        if (const double x = from_bits(g()); std::isfinite(x) && std::fabs(x) <= max) return x;
}

double uniform(Gen& g, double max) { return std::uniform_real_distribution<double>(-max, max)(g); }

// k pi/4 for |k| up to 4, on the double nearest it and a few steps away
// (inside the domain), where the reduction leaves the least.
double near_pi_4(Gen& g) {
    for (;;) {
        const double x =
            nudge(static_cast<double>(static_cast<int>(g() % 9) - 4) * (pi / 4), static_cast<int>(g() % 2001) - 1000);
        if (std::fabs(x) <= pi) return x;
    }
}

// One argument's results: ours, the C library's and the exact value.
struct Result {
    double ours, lib;
    long double exact;
    double y, x;
};

Result sin_at(double x) {
    double s, c;
    fill_sincos(x, &s, &c);
    return {s, std::sin(x), sinl(x), 0, x};
}

Result cos_at(double x) {
    double s, c;
    fill_sincos(x, &s, &c);
    return {c, std::cos(x), cosl(x), 0, x};
}

Result atan2_at(double y, double x) { return {atan2_of(y, x), std::atan2(y, x), atan2l(y, x), y, x}; }

// One coordinate zero of either sign or up to 2^-1100 times the other.
Result axis_parallel(Gen& g) {
    const double a = uniform(g, 1e3);
    const int k = static_cast<int>(g() % 1100);
    double b = g() % 4 == 0 ? 0.0 : std::ldexp(std::uniform_real_distribution<double>(0.5, 1)(g) * a, -k);
    if (g() & 1) b = -b;
    return g() & 1 ? atan2_at(a, b) : atan2_at(b, a);
}

TEST(Trig, AgainstTheCLibrary) {
    const char* s = std::getenv("LINETEXT_TRIG_ARGS");
    const long n = s != nullptr && std::atol(s) > 0 ? std::atol(s) : 200000;
    const struct {
        const char* what;
        Result (*draw)(Gen&);
    } kinds[] = {
        {"sin, uniform in [-pi, pi]", [](Gen& g) { return sin_at(uniform(g, pi)); }},
        {"cos, uniform in [-pi, pi]", [](Gen& g) { return cos_at(uniform(g, pi)); }},
        {"sin, random bit patterns in [-pi, pi]", [](Gen& g) { return sin_at(random_bits(g, pi)); }},
        {"cos, random bit patterns in [-pi, pi]", [](Gen& g) { return cos_at(random_bits(g, pi)); }},
        {"sin, near multiples of pi/4", [](Gen& g) { return sin_at(near_pi_4(g)); }},
        {"cos, near multiples of pi/4", [](Gen& g) { return cos_at(near_pi_4(g)); }},
        {"atan2, uniform in [-10, 10]^2", [](Gen& g) { return atan2_at(uniform(g, 10), uniform(g, 10)); }},
        {"atan2, random bit patterns", [](Gen& g) { return atan2_at(random_bits(g), random_bits(g)); }},
        {"atan2, axis-parallel and nearly so", axis_parallel},
        {"atan2, nearly diagonal",
         [](Gen& g) {
             const double x = uniform(g, 1e6);
             return atan2_at(nudge(g() & 1 ? x : -x, static_cast<int>(g() % 2001) - 1000), x);
         }},
    };
    unsigned seed = 1;
    for (const auto& k : kinds) {
        Gen g(seed++);
        long differ = 0, reported = 0;
        uint64_t max_ulps = 0;
        for (long i = 0; i < n; i++) {
            const Result r = k.draw(g);
            const uint64_t u = ulps(r.ours, r.lib);
            if (u == 0) continue;
            differ++;
            max_ulps = std::max(max_ulps, u);
            const bool worse = std::fabs(r.ours - r.exact) > std::fabs(r.lib - r.exact);
            if ((u > 1 || worse) && reported++ < 5)
                ADD_FAILURE() << k.what << std::hexfloat << " (" << r.y << ", " << r.x << "): ours " << r.ours
                              << ", C library " << r.lib << ", " << u << " ulps apart";
        }
        std::printf("%-40s %10ld arguments, %6ld differ from the C library (%.4f %%), max %llu ulp\n", k.what, n,
                    differ, 100.0 * static_cast<double>(differ) / static_cast<double>(n),
                    static_cast<unsigned long long>(max_ulps));
        EXPECT_LE(differ * 200, n) << k.what;  // a coarse guard: at most 0.5 %
    }
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
