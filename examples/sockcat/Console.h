#pragma once

#include "examples/sockcat/CatOptions.h"

#include <functional>
#include <string>
#include <string_view>

namespace zintra {

class TSock;

// Standard input and output as sockcat uses them: raw bytes, whatever they are.
constexpr int InputFd = 0;

// The next piece of standard input; false at its end (or when it cannot be read).
bool ReadInput(std::string& piece);
// Writes all bytes to standard output.
void WriteOutput(std::string_view bytes);

// Cuts standard input into lines without their line ends ("\n" or "\r\n"); the last line
// needs no line end.
class LineSplitter {
public:
    using LineHandler = std::function<void(const std::string&)>;

    void Feed(std::string_view bytes, const LineHandler& line);
    void Finish(const LineHandler& line);

private:
    std::string partial_;
};

// Sets the component up as the options say: its peer, its type and mode, and, with --verbose,
// every report to standard error as "Kind: text".
void ConfigureSock(TSock& sock, const CatOptions& options);

} // namespace zintra
