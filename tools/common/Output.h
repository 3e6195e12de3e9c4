#pragma once

#include <ostream>
#include <string_view>

namespace zintra {

// Flushes a tool's output; when any of it could not be written (a full disk, a closed pipe),
// says so on `err` as "TOOL: standard output could not be written" and gives false.
bool OutputWritten(std::ostream& out, std::ostream& err, std::string_view tool);

} // namespace zintra
