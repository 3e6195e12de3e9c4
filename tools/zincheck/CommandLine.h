#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
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

// A command line that zincheck cannot run; the text says what is wrong with it.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program name. "--" ends the options, so a PATH may begin with "-".
ZincheckOptions ParseCommandLine(const std::vector<std::string>& args);

} // namespace zintra
