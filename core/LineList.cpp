#include "core/LineList.h"

namespace zintra {

bool LineList::Next(std::string_view& line) {
    if (next_ == lines_.size()) {
        return false;
    }
    line = lines_[next_++];
    return true;
}

} // namespace zintra
