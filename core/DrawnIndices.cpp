#include "core/DrawnIndices.h"

#include "base/Exceptions.h"

namespace zintra {

std::string DrawnIndices::Get(std::int32_t index) const {
    if (index < 0 || index >= Count()) {
        throw EListError(index);
    }
    return std::to_string(order_[static_cast<std::size_t>(index)]);
}

void DrawnIndices::Add(std::int32_t number) {
    const auto slot = static_cast<std::size_t>(number);
    if (slot / 64 >= bits_.size()) {
        bits_.resize(slot / 64 + 1);
    }
    bits_[slot / 64] |= std::uint64_t{1} << slot % 64;
    order_.push_back(number);
}

void DrawnIndices::DrawAll(RandomGenerator& random, std::int32_t a, std::int32_t b) {
    const auto range = static_cast<std::uint32_t>(b - a) + 1u;
    const auto top = static_cast<std::size_t>(b);
    if (top / 64 >= bits_.size()) {
        bits_.resize(top / 64 + 1);
    }
    std::size_t count = order_.size();
    const std::size_t end = count + range;
    order_.resize(end);
    std::int32_t* const slots = order_.data();
    std::uint64_t* const bits = bits_.data();
    // Late in a large shuffle most draws meet a number drawn before; whether one does cannot be
    // predicted, so every draw is written and only a new number moves the count on.
    const auto take = [&](std::uint32_t seed) {
        const std::uint32_t r = static_cast<std::uint32_t>(a) + RandomGenerator::Scale(seed, range);
        std::uint64_t& word = bits[r / 64];
        const std::uint64_t bit = std::uint64_t{1} << r % 64;
        slots[count] = static_cast<std::int32_t>(r);
        count += (word & bit) == 0 ? 1 : 0;
        word |= bit;
    };
    // Two seeds a step, each computed from the last one, so that the seeds' chain of
    // multiplications is half as long.
    std::uint32_t seed = random.RandSeed();
    while (count < end) {
        const std::uint32_t first = RandomGenerator::Next(seed);
        const std::uint32_t second = RandomGenerator::NextButOne(seed);
        take(first);
        seed = first;
        if (count < end) {
            take(second);
            seed = second;
        }
    }
    random.Seed(seed);
}

void DrawnIndices::Clear() {
    order_.clear();
    bits_.clear();
}

} // namespace zintra
