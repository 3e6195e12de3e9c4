#include "tools/fortune2zin/FortuneCommandLine.h"

#include "tools/fortune2zin/FortuneConverter.h"

#include <filesystem>

namespace zintra {
namespace {

// As the line after the divider line, a title of this text would keep file order instead.
constexpr std::string_view kOrderLine = "@@*NORANDOM";

// A title or last line as the collection will hold it; an empty one would end the collection.
std::string LineText(const std::string& option, const std::string& text) {
    std::string line = FortuneEntry(text);
    if (line.empty()) {
        throw FortuneUsageError(option + " needs a text that is not blank");
    }
    return line;
}

} // namespace

FortuneOptions ParseFortuneCommandLine(const std::vector<std::string>& args) {
    FortuneOptions options;
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
        if (arg != "--title" && arg != "--divider" && arg != "--last") {
            throw FortuneUsageError("unknown option '" + arg + "'");
        }
        if (i + 1 == args.size()) {
            throw FortuneUsageError(arg + " needs a value");
        }
        const std::string& value = args[++i];
        if (arg == "--title") {
            options.title = LineText(arg, value);
        } else if (arg == "--last") {
            options.last = LineText(arg, value);
        } else if (value.find_first_of("\r\n\x1A") != std::string::npos) {
            throw FortuneUsageError("--divider must stay on one line");
        } else {
            options.divider = value;
        }
    }
    if (paths.size() != 1) {
        throw FortuneUsageError(paths.empty() ? "no FILE given" : "more than one FILE given");
    }
    options.path = paths.front();
    if (options.title == kOrderLine) {
        throw FortuneUsageError("the title cannot be " + std::string(kOrderLine));
    }
    if (options.title.empty()) {
        options.title = FortuneEntry(std::filesystem::path(options.path).filename().string());
    }
    if (options.title.empty() || options.title == kOrderLine) {
        options.title = "Quotations";
    }
    return options;
}

} // namespace zintra
