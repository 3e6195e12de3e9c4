#include "examples/sockecho/EchoOptions.h"

#include "base/IntegerText.h"

#include <cctype>

namespace zintra {

namespace {

constexpr int HighestPort = 65535;

// Text that starts as a number is taken as one, and must be a port; other text names a service.
bool ValidPort(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    const unsigned char first = static_cast<unsigned char>(text.front());
    if (!std::isdigit(first) && first != '-' && first != '+') {
        return true;
    }
    const std::optional<std::int32_t> number = zintra::TryStrToInt(text);
    return number && *number >= 1 && *number <= HighestPort;
}

} // namespace

std::optional<EchoOptions> ParseEchoOptions(const std::vector<std::string>& arguments,
                                            std::string& error) {
    EchoOptions options;
    bool havePort = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue =
            argument == "--port" || argument == "--timeout" || argument == "--backlog";
        if (takesValue && i + 1 == arguments.size()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        if (argument == "--port") {
            options.Port = arguments[++i];
            if (!ValidPort(options.Port)) {
                error = "'" + options.Port + "' is not a port from 1 to 65535";
                return std::nullopt;
            }
            havePort = true;
        } else if (argument == "--timeout") {
            const std::optional<std::int32_t> seconds = zintra::TryStrToInt(arguments[++i]);
            if (!seconds || *seconds == 0) {
                error = "'" + arguments[i] + "' is not a valid number of seconds";
                return std::nullopt;
            }
            options.TimeoutSeconds = *seconds;
        } else if (argument == "--backlog") {
            const std::optional<std::int32_t> backlog = zintra::TryStrToInt(arguments[++i]);
            if (!backlog || *backlog < 1) {
                error = "'" + arguments[i] + "' is not a valid backlog";
                return std::nullopt;
            }
            options.Backlog = *backlog;
        } else if (argument == "--blocking") {
            options.Blocking = true;
        } else if (argument == "--quiet") {
            options.Quiet = true;
        } else {
            error = "unknown option " + argument;
            return std::nullopt;
        }
    }
    if (!havePort) {
        error = "--port is required";
        return std::nullopt;
    }
    return options;
}

} // namespace zintra
