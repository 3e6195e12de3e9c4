#pragma once

#include <stdexcept>

namespace zintra {

// Each failure carries one message text; ClassName is what a report of an unhandled failure
// shows.

// A stream that could not supply the bytes asked for, or a stored property that names nothing
// or holds a value its component cannot take.
class EReadError : public std::runtime_error {
public:
    static constexpr const char* ClassName = "EReadError";
    using std::runtime_error::runtime_error;
};

// A stream that could not take the bytes given.
class EWriteError : public std::runtime_error {
public:
    static constexpr const char* ClassName = "EWriteError";
    using std::runtime_error::runtime_error;
};

} // namespace zintra
