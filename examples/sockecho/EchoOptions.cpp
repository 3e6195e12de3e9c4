#include "examples/sockecho/EchoOptions.h"

#include "core/IntegerText.h"

namespace zintra {

std::optional<EchoOptions> ParseEchoOptions(const std::vector<std::string>& arguments,
                                            std::string& error) {
    EchoOptions options;
    bool havePort = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--port" || argument == "--timeout";
        if (takesValue && i + 1 == arguments.size()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        if (argument == "--port") {
            options.Port = arguments[++i];
            havePort = !options.Port.empty();
        } else if (argument == "--timeout") {
            const std::optional<std::int32_t> seconds = zintra::TryStrToInt(arguments[++i]);
            if (!seconds) {
                error = "'" + arguments[i] + "' is not a valid number of seconds";
                return std::nullopt;
            }
            options.TimeoutSeconds = *seconds;
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
