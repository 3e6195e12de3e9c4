// sockcat: a console client over TSock, the connecting counterpart of sockecho.
//   sockcat [--udp] [--blocking] [--verbose] HOST PORT
// Over TCP it copies standard input to the connection and the connection to standard output;
// at the end of input it shuts its sending side and writes what still arrives until the peer
// closes. With --udp each input line goes out as one datagram and each datagram received is
// written as a line (an empty line is an empty datagram); the socket is connected to HOST:PORT,
// so only that peer's datagrams are taken and its refusal is seen.
// Status 0 when every byte of input was handed to the connection and the peer closed in order
// (over UDP: when input ended without a failure); 1 on a failure, its text naming it on standard
// error: a reset, a failed send, a refusal, a datagram too long, standard output that cannot
// be written; 2 for a wrong command line.

#include "examples/StandardDescriptors.h"
#include "examples/sockcat/BlockingClient.h"
#include "examples/sockcat/CatOptions.h"
#include "examples/sockcat/EventClient.h"
#include "sock/SockUnit.h"

#include <QCoreApplication>
#include <csignal>
#include <iostream>

int main(int argc, char** argv) {
    using namespace zintra;
    HoldStandardDescriptors();
    // A closed standard output is a failure to report, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    std::string error;
    const std::optional<CatOptions> options =
        ParseCatOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "sockcat: " << error << "\n" << CatUsage << std::endl;
        return 2;
    }

    SockUnit unit;
    if (!unit.Started()) {
        return SockUnit::FailureExitStatus;
    }
    if (options->Blocking) {
        return BlockingClient(*options).Run();
    }
    return EventClient(*options).Run();
}
