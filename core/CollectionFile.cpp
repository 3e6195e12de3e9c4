#include "core/CollectionFile.h"

namespace zintra {

void CollectionFile::Rewind() {
    file_.Rewind();
    ended_ = false;
}

bool CollectionFile::Next(std::string_view& line) {
    if (!ended_) {
        line = file_.ReadLineView();
        ended_ = line.empty();
    }
    return !ended_;
}

} // namespace zintra
