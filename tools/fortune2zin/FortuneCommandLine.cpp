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
        throw UsageError(option + " needs a text that is not blank");
    }
    return line;
}

} // namespace

FortuneOptions ParseFortuneCommandLine(const std::vector<std::string>& args) {
    const ScannedArguments scanned = ScanArguments(args, {"--title", "--divider", "--last"},
                                                   "no FILE given", "more than one FILE given");
    FortuneOptions options;
    options.help = scanned.help;
    if (options.help) {
        return options;
    }
    for (const auto& [name, value] : scanned.options) {
        if (name == "--title") {
            options.title = LineText(name, value);
        } else if (name == "--last") {
            options.last = LineText(name, value);
        } else if (value.find_first_of("\r\n\x1A") != std::string::npos) {
            throw UsageError("--divider must stay on one line");
        } else {
            options.divider = value;
        }
    }
    options.path = scanned.operand;
    if (options.title == kOrderLine) {
        throw UsageError("the title cannot be " + std::string(kOrderLine));
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
