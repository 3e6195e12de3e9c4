#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zintra {

// The lines read from a collection, held back to back in one buffer: a million lines cost
// their bytes plus one offset each, not a string object each. Get raises EListError for an
// index outside 0 to Count()-1, which is how the assembly reports too few lines.
class LineList {
public:
    LineList() = default;
    LineList(std::initializer_list<std::string_view> lines);

    // Raises ETextTooLong past the largest count a message text could hold.
    void Add(std::string_view line);
    std::int32_t Count() const { return static_cast<std::int32_t>(ends_.size()); }
    std::string_view Get(std::int32_t index) const;

private:
    std::string bytes_;
    std::vector<std::size_t> ends_;
};

} // namespace zintra
