#include "tools/zincheck/CommandLine.h"

#include <limits>

namespace zintra {
namespace {

// Decimal digits only, 0 to 4294967295.
std::uint32_t ParseCount(const std::string& option, const std::string& text) {
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            throw UsageError(option + " needs a whole number from 0 to 4294967295, not '" + text +
                             "'");
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > std::numeric_limits<std::uint32_t>::max()) {
            throw UsageError(option + " is larger than 4294967295: '" + text + "'");
        }
    }
    if (text.empty()) {
        throw UsageError(option + " needs a whole number from 0 to 4294967295");
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace

ZincheckOptions ParseCommandLine(const std::vector<std::string>& args) {
    ZincheckOptions options;
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        }
        if (arg != "--seed" && arg != "--separator" && arg != "--ticks") {
            throw UsageError("unknown option '" + arg + "'");
        }
        if (i + 1 == args.size()) {
            throw UsageError(arg + " needs a value");
        }
        const std::string& value = args[++i];
        if (arg == "--seed") {
            options.seed = ParseCount(arg, value);
        } else if (arg == "--ticks") {
            options.ticks = ParseCount(arg, value);
        } else {
            options.separator = value;
        }
    }
    if (paths.size() != 1) {
        throw UsageError(paths.empty() ? "no collection PATH given" : "more than one PATH given");
    }
    options.path = paths.front();
    return options;
}

} // namespace zintra
