#pragma once

#include <stdexcept>

namespace zintra {

// ClassName is what a report of an unhandled failure shows.

// The socket component's failures: the operation, " - ", then what went wrong.
class ESockException : public std::runtime_error {
public:
    static constexpr const char* ClassName = "ESockException";
    using std::runtime_error::runtime_error;
};

} // namespace zintra
