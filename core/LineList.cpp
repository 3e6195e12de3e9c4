#include "core/LineList.h"

#include "core/Exceptions.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace zintra {
namespace {

constexpr std::size_t kBlockSize = std::size_t{4} << 20;

void Prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

} // namespace

LineList::LineList(std::initializer_list<std::string_view> lines) {
    for (const std::string_view line : lines) {
        Add(line);
    }
}

void LineList::Add(std::string_view line) {
    if (lines_.size() == std::numeric_limits<std::int32_t>::max()) {
        throw ETextTooLong();
    }
    if (line.size() > freeSize_) {
        // A line longer than a block gets a block of its own.
        freeSize_ = std::max(kBlockSize, line.size());
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(freeSize_));
        free_ = blocks_.back().get();
    }
    if (!line.empty()) {
        std::memcpy(free_, line.data(), line.size());
    }
    lines_.emplace_back(free_, line.size());
    free_ += line.size();
    freeSize_ -= line.size();
}

std::string_view LineList::Get(std::int32_t index) const {
    if (index < 0 || index >= Count()) {
        throw EListError(index);
    }
    return lines_[static_cast<std::size_t>(index)];
}

void LineList::PrefetchSlot(std::int32_t index) const {
    Prefetch(&lines_[static_cast<std::size_t>(index)]);
}

void LineList::PrefetchText(std::int32_t index) const {
    Prefetch(lines_[static_cast<std::size_t>(index)].data());
}

} // namespace zintra
