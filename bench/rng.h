// splitmix64 for the test-data generators: small, fast and the same numbers
// on every platform for the same seed.
#pragma once

#include <cstdint>

struct Rng {
    std::uint64_t s;
    std::uint64_t next() {
        std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    unsigned below(unsigned n) { return static_cast<unsigned>(next() % n); }
    // lo .. hi inclusive
    long range(long lo, long hi) { return lo + static_cast<long>(next() % static_cast<std::uint64_t>(hi - lo + 1)); }
    bool chance(unsigned percent) { return below(100) < percent; }
    template <class T, unsigned N>
    const T& pick(const T (&a)[N]) {
        return a[below(N)];
    }
};
