#pragma once

#include "core/LineSource.h"
#include "core/TextFile.h"

#include <string_view>
#include <utility>

namespace zintra {

// A collection's lines up to, not including, the first empty line, read from the file each time
// they are asked for.
class CollectionFile : public LineSource {
public:
    explicit CollectionFile(TextFile file) : file_(std::move(file)) {}

    void Rewind() override;
    bool Next(std::string_view& line) override;

private:
    TextFile file_;
    bool ended_ = false;
};

} // namespace zintra
