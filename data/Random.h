#pragma once
// The generated data sets' own random numbers and money rounding, shared by the demo set and
// the large benchmark databases.
//
// Invariants: Rng is a fixed linear congruential generator, so a seed gives the same numbers
// on every machine and build (the demo and the benchmarks must not change between runs);
// round2 rounds to hundredths with halves to even, as the program rounds converted amounts.

#include <cmath>
#include <cstdint>
#include <vector>

namespace data {

class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint32_t next()
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(m_state >> 33);
    }
    int range(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<std::uint32_t>(hi - lo + 1)); }
    bool chance(int percent) { return range(0, 99) < percent; }
    template <typename T> const T& pick(const std::vector<T>& v) { return v[static_cast<size_t>(range(0, int(v.size()) - 1))]; }

private:
    std::uint64_t m_state;
};

inline double round2(double v) { return std::nearbyint(v * 100.0) / 100.0; }

}  // namespace data
