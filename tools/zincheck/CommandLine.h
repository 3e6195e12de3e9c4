#pragma once

#include "tools/common/ArgumentScan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zintra {

inline constexpr const char* kUsageLine =
    "usage: zincheck [--seed N] [--separator TEXT] [--ticks K] PATH";

struct ZincheckOptions {
    bool help = false;
    std::optional<std::uint32_t> seed;
    std::string separator = " : ";
    std::optional<std::uint32_t> ticks;
    std::string path;
};

// The arguments after the program name. "--" ends the options, so a PATH may begin with "-".
ZincheckOptions ParseCommandLine(const std::vector<std::string>& args);

} // namespace zintra
