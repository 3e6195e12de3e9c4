#include "core/RandomGenerator.h"

#include <chrono>

namespace zintra {

std::uint32_t RandomGenerator::ClockSeed() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(ticks);
}

} // namespace zintra
