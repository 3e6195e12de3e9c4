#include "core/DrawnIndices.h"

#include "core/Exceptions.h"

namespace zintra {

std::string DrawnIndices::Get(std::int32_t index) const {
    if (index < 0 || index >= Count()) {
        throw EListError(index);
    }
    return std::to_string(order_[static_cast<std::size_t>(index)]);
}

void DrawnIndices::Add(std::int32_t number) {
    const auto slot = static_cast<std::size_t>(number);
    if (slot >= drawn_.size()) {
        drawn_.resize(slot + 1);
    }
    drawn_[slot] = true;
    order_.push_back(number);
}

void DrawnIndices::Clear() {
    order_.clear();
    drawn_.clear();
}

} // namespace zintra
