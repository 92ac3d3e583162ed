#pragma once

#include <cstdint>
#include <random>

// The saver's one random generator: uniform over [0, 1), seeded once. Every
// random choice of the saver draws from it; it is never reseeded, so two
// draws within one clock tick can never repeat each other.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_engine(seed), m_seed(seed) {}

    // A uniform double in [0, 1): the top 53 bits of one 64-bit draw.
    double Rnd() { return double(m_engine() >> 11) * (1.0 / 9007199254740992.0); }

    std::uint64_t seed() const { return m_seed; }

private:
    std::mt19937_64 m_engine;
    std::uint64_t m_seed;
};
