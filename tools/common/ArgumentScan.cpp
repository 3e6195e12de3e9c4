#include "tools/common/ArgumentScan.h"

#include <algorithm>

namespace zintra {

ScannedArguments ScanArguments(const std::vector<std::string>& args,
                               std::initializer_list<std::string_view> names,
                               const std::string& noOperand, const std::string& manyOperands) {
    ScannedArguments scanned;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            scanned.help = true;
            return scanned;
        }
        if (std::find(names.begin(), names.end(), arg) == names.end()) {
            throw UsageError("unknown option '" + arg + "'");
        }
        if (i + 1 == args.size()) {
            throw UsageError(arg + " needs a value");
        }
        scanned.options.emplace_back(arg, args[++i]);
    }
    if (operands.size() != 1) {
        throw UsageError(operands.empty() ? noOperand : manyOperands);
    }
    scanned.operand = operands.front();
    return scanned;
}

} // namespace zintra
