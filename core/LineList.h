#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zintra {

// The lines read from a collection, held back to back in large blocks: a million lines cost
// their bytes plus one view each, not a string object each, and growing never copies them.
// Get raises EListError for an index outside 0 to Count()-1, which is how the assembly
// reports too few lines.
class LineList {
public:
    LineList() = default;
    LineList(std::initializer_list<std::string_view> lines);

    // Raises ETextTooLong past the largest count a message text could hold.
    void Add(std::string_view line);
    std::int32_t Count() const { return static_cast<std::int32_t>(lines_.size()); }
    std::string_view Get(std::int32_t index) const;

    // Hints for reading lines out of order: start fetching where line `index` is kept (some
    // steps ahead), then its text (fewer steps ahead, once the first fetch has landed).
    // Unchecked: 0 <= index < Count().
    void PrefetchSlot(std::int32_t index) const;
    void PrefetchText(std::int32_t index) const;

private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;
    std::size_t freeSize_ = 0;
    std::vector<std::string_view> lines_;
};

} // namespace zintra
