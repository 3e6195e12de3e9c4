#pragma once

#include <ostream>
#include <string_view>

namespace zintra {

// Makes a write to a pipe whose reader has gone fail like any other write, so the tool reports
// it and ends with its failure status instead of being killed by SIGPIPE.
void ReportClosedPipes();

// Flushes a tool's output; when any of it could not be written (a full disk, a closed pipe),
// says so on `err` as "TOOL: standard output could not be written" and gives false.
bool OutputWritten(std::ostream& out, std::ostream& err, std::string_view tool);

} // namespace zintra
