#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zintra {

// sockecho --port PORT [--blocking] [--timeout SECONDS] [--quiet]
struct EchoOptions {
    std::string Port;
    bool Blocking = false;
    // How long each blocking receive waits; negative waits without limit.
    std::int32_t TimeoutSeconds = -1;
    bool Quiet = false;
};

inline constexpr const char* EchoUsage =
    "usage: sockecho --port PORT [--blocking] [--timeout SECONDS] [--quiet]";

// The options of a command line (without the program name); nullopt and the reason in error
// when it cannot be understood.
std::optional<EchoOptions> ParseEchoOptions(const std::vector<std::string>& arguments,
                                            std::string& error);

} // namespace zintra
