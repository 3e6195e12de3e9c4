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
    const ScannedArguments scanned =
        ScanArguments(args, {"--seed", "--separator", "--ticks"}, "no collection PATH given",
                      "more than one PATH given");
    ZincheckOptions options;
    options.help = scanned.help;
    for (const auto& [name, value] : scanned.options) {
        if (name == "--seed") {
            options.seed = ParseCount(name, value);
        } else if (name == "--ticks") {
            options.ticks = ParseCount(name, value);
        } else {
            options.separator = value;
        }
    }
    options.path = scanned.operand;
    return options;
}

} // namespace zintra
