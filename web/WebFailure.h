#pragma once

#include "base/Exceptions.h"

#include <string>

namespace zintra {

// A fetch from a web server that failed: the address, " - ", then what went wrong, such as
// "http://host/a.zin - HTTP 404 Not Found". Nothing was replaced.
class EWebFailure : public Exception {
public:
    static constexpr const char* ClassName = "EWebFailure";
    using Exception::Exception;
};

} // namespace zintra
