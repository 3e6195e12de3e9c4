#pragma once

#include "core/LineSource.h"

#include <string>
#include <string_view>
#include <vector>

namespace zintra {

// Lines held in memory, for assembling a text that is not read from a file.
class LineList : public LineSource {
public:
    void Add(std::string_view line) { lines_.emplace_back(line); }

    void Rewind() override { next_ = 0; }
    bool Next(std::string_view& line) override;

private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

} // namespace zintra
