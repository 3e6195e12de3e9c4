#include "examples/sockcat/CatOptions.h"

namespace zintra {

std::optional<CatOptions> ParseCatOptions(const std::vector<std::string>& arguments,
                                          std::string& error) {
    CatOptions options;
    std::vector<std::string> names;
    for (const std::string& argument : arguments) {
        if (argument == "--udp") {
            options.Udp = true;
        } else if (argument == "--blocking") {
            options.Blocking = true;
        } else if (argument == "--verbose") {
            options.Verbose = true;
        } else if (argument.starts_with("--")) {
            error = "unknown option " + argument;
            return std::nullopt;
        } else {
            names.push_back(argument);
        }
    }
    if (names.size() < 2) {
        error = "HOST and PORT are required";
        return std::nullopt;
    }
    if (names.size() > 2) {
        error = "unexpected argument " + names[2];
        return std::nullopt;
    }
    options.Host = names[0];
    options.Port = names[1];
    return options;
}

} // namespace zintra
