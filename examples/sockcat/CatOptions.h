#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zintra {

// sockcat [--udp] [--blocking] [--verbose] HOST PORT
struct CatOptions {
    std::string Host;
    std::string Port;
    bool Udp = false;
    bool Blocking = false;
    bool Verbose = false;
};

inline constexpr const char* CatUsage = "usage: sockcat [--udp] [--blocking] [--verbose] HOST PORT";

// The options of a command line (without the program name); nullopt and the reason in error
// when it cannot be understood.
std::optional<CatOptions> ParseCatOptions(const std::vector<std::string>& arguments,
                                          std::string& error);

} // namespace zintra
