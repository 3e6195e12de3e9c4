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

// A datagram socket connected to the component's HostName:PortName, handed to the component:
// only that peer's datagrams arrive, and a refusal by it is seen. Datagrams go through the
// connected socket itself, so that an empty one is carried and a failure is told.
void OpenConnectedDatagram(TSock& sock);
// Sends one line as one datagram; a failure raises with its WinSock name.
void SendDatagramLine(TSock& sock, const std::string& line);
// Takes one waiting datagram (maybe empty) into line; false when none waits. A failure (a
// refusal, a datagram too long) raises with its WinSock name.
bool ReceiveDatagramLine(TSock& sock, std::string& line);

// Sets the component up as the options say: its peer, its type and mode, and, with --verbose,
// every report to standard error as "Kind: text".
void ConfigureSock(TSock& sock, const CatOptions& options);

} // namespace zintra
