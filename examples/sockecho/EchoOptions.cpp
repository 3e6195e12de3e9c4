#include "examples/sockecho/EchoOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <netdb.h>

namespace zintra {

namespace {

constexpr int HighestPort = 65535;

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

// A decimal number from 1 to 65535, or the name of a TCP service; nothing else.
bool ValidPort(const std::string& text) {
    if (!AllDigits(text)) {
        return !text.empty() && std::isalpha(static_cast<unsigned char>(text.front())) &&
               ::getservbyname(text.c_str(), "tcp") != nullptr;
    }
    int number = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
    return failure == std::errc() && number >= 1 && number <= HighestPort;
}

// A whole number written in decimal, at least 1.
std::optional<std::int32_t> PositiveNumber(const std::string& text) {
    std::int32_t seconds = 0;
    if (!AllDigits(text) ||
        std::from_chars(text.data(), text.data() + text.size(), seconds).ec != std::errc() ||
        seconds < 1) {
        return std::nullopt;
    }
    return seconds;
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
            if (havePort) {
                error = "--port is given twice";
                return std::nullopt;
            }
            options.Port = arguments[++i];
            if (!ValidPort(options.Port)) {
                error = "'" + options.Port + "' is not a port from 1 to 65535";
                return std::nullopt;
            }
            havePort = true;
        } else if (argument == "--timeout") {
            const std::optional<std::int32_t> seconds = PositiveNumber(arguments[++i]);
            if (!seconds) {
                error = "'" + arguments[i] + "' is not a valid number of seconds";
                return std::nullopt;
            }
            options.TimeoutSeconds = *seconds;
        } else if (argument == "--backlog") {
            const std::optional<std::int32_t> backlog = PositiveNumber(arguments[++i]);
            if (!backlog || *backlog < 1) {
                error = "'" + arguments[i] + "' is not a valid backlog";
                return std::nullopt;
            }
            options.Backlog = *backlog;
        } else if (argument == "--blocking") {
            options.Blocking = true;
        } else if (argument == "--quiet") {
            options.Quiet = true;
        } else if (argument == "--verbose") {
            options.Verbose = true;
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
