#pragma once

#include <cstdint>

namespace zintra {

// The program's pseudo-random generator: a 32-bit linear congruential generator
// (seed := seed * 134775813 + 1 mod 2^32) whose draw from 0 to q-1 is the upper half of the
// 64-bit product of the new seed and q.
class RandomGenerator {
public:
    void Seed(std::uint32_t seed) { seed_ = seed; }
    std::uint32_t RandSeed() const { return seed_; }

    // A whole number from 0 to range-1; 0 when range is 0.
    std::uint32_t Random(std::uint32_t range) {
        seed_ = Next(seed_);
        return Scale(seed_, range);
    }

    // The steps Random takes, for a caller that makes many draws at once: the seed after
    // `seed`, the one after that (without waiting for the first), and the draw a seed gives.
    static constexpr std::uint32_t Next(std::uint32_t seed) { return seed * kMultiplier + 1u; }
    static constexpr std::uint32_t NextButOne(std::uint32_t seed) {
        return seed * (kMultiplier * kMultiplier) + kMultiplier + 1u;
    }
    static constexpr std::uint32_t Scale(std::uint32_t seed, std::uint32_t range) {
        return static_cast<std::uint32_t>((std::uint64_t{seed} * range) >> 32);
    }

    // A start-up seed: the low 32 bits of the high-resolution clock.
    static std::uint32_t ClockSeed();

private:
    static constexpr std::uint32_t kMultiplier = 134775813u;
    std::uint32_t seed_ = 0;
};

} // namespace zintra
