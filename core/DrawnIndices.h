#pragma once

#include "core/RandomGenerator.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zintra {

// `UsedIndices`: the line numbers drawn so far in one assembly, in draw order. The shuffle asks
// "is this number drawn yet?" once per draw, about m * ln m times for m entries; a plain list of
// decimal texts searched from its start makes that quadratic, so the numbers are kept with a
// membership bitmap beside them. The decimal texts are still there to read through Get.
class DrawnIndices {
public:
    std::int32_t Count() const { return static_cast<std::int32_t>(order_.size()); }
    // The decimal text of the index-th number drawn; EListError outside 0 to Count()-1.
    std::string Get(std::int32_t index) const;
    // The index-th number drawn, unchecked: 0 <= index < Count().
    std::int32_t Number(std::int32_t index) const {
        return order_[static_cast<std::size_t>(index)];
    }
    // Asked once per draw, so kept inline.
    bool Contains(std::int32_t number) const {
        const auto slot = static_cast<std::size_t>(number);
        return number >= 0 && slot / 64 < bits_.size() && (bits_[slot / 64] >> slot % 64 & 1u);
    }
    // `number` must be 0 or more (a line number).
    void Add(std::int32_t number);
    // Draws every number from a to b (0 <= a <= b, none of them drawn yet) exactly as b-a+1
    // draws of GetRandom(a, b) would: the same numbers in the same order, the same state of
    // `random` afterwards.
    void DrawAll(RandomGenerator& random, std::int32_t a, std::int32_t b);
    void Clear();

private:
    std::vector<std::int32_t> order_;
    std::vector<std::uint64_t> bits_;
};

} // namespace zintra
