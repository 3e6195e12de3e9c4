#pragma once

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace zintra {

// What a console tool's run gave: its exit status and what it wrote to each stream.
struct ToolOutcome {
    int status;
    std::string out;
    std::string err;
};

// Runs a tool's entry point (args, out, err) -> status on `args`, catching what it writes.
template <typename Tool> ToolOutcome RunTool(Tool tool, const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = tool(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace zintra
