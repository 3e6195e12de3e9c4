#include "LineList.h"

#include "Exceptions.h"

#include <limits>

namespace zintra {

LineList::LineList(std::initializer_list<std::string_view> lines) {
    for (const std::string_view line : lines) {
        Add(line);
    }
}

void LineList::Add(std::string_view line) {
    if (ends_.size() == std::numeric_limits<std::int32_t>::max()) {
        throw ETextTooLong();
    }
    bytes_.append(line);
    ends_.push_back(bytes_.size());
}

std::string_view LineList::Get(std::int32_t index) const {
    if (index < 0 || index >= Count()) {
        throw EListError(index);
    }
    const std::size_t begin = index == 0 ? 0 : ends_[static_cast<std::size_t>(index) - 1];
    return std::string_view(bytes_).substr(begin, ends_[static_cast<std::size_t>(index)] - begin);
}

} // namespace zintra
