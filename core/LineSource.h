#pragma once

#include <string_view>

namespace zintra {

// The lines of a collection as the assembly reads them: twice from the first line, once to
// measure them and once to place them, so that they need not all be held at once.
class LineSource {
public:
    virtual ~LineSource() = default;

    // Back to the first line.
    virtual void Rewind() = 0;
    // The next line, or false after the last; the view is valid until the next call.
    virtual bool Next(std::string_view& line) = 0;
};

} // namespace zintra
