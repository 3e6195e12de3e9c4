#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zintra {

// A command line that a tool cannot run; the text says what is wrong with it.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A tool's command line: "--help", or "--name VALUE" options in the order given and one operand.
struct ScannedArguments {
    bool help = false;
    std::vector<std::pair<std::string, std::string>> options;
    std::string operand;
};

// Splits the arguments after the program name. Every option in `names` takes a value; "--" ends
// the options, so the operand may begin with "-". `noOperand` and `manyOperands` are the texts
// for a command line without its one operand and with more than one.
ScannedArguments ScanArguments(const std::vector<std::string>& args,
                               std::initializer_list<std::string_view> names,
                               const std::string& noOperand, const std::string& manyOperands);

} // namespace zintra
