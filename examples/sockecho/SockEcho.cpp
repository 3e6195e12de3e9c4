// sockecho: a console echo server over TSock, and the component's example.
//   sockecho --port PORT [--blocking] [--timeout SECONDS] [--backlog N] [--quiet] [--verbose]
// Every OnInfo report is written to standard output as "Kind: text", look-ups only with
// --verbose. A failure to start listening is written to standard error with the system's reason
// and ends the program with status 1; SIGINT or SIGTERM closes everything and ends it with
// status 0.

#include "examples/StandardDescriptors.h"
#include "examples/sockecho/EchoOptions.h"
#include "examples/sockecho/EchoServer.h"
#include "examples/sockecho/StopSignals.h"
#include "sock/SockUnit.h"

#include <QCoreApplication>
#include <iostream>

int main(int argc, char** argv) {
    using namespace zintra;
    HoldStandardDescriptors();
    // A server's loop watches many sockets at once; Qt's own event dispatcher does that more
    // cheaply than the GLib one.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    std::string error;
    const std::optional<EchoOptions> options =
        ParseEchoOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "sockecho: " << error << "\n" << EchoUsage << std::endl;
        return 2;
    }

    SockUnit unit;
    if (!unit.Started()) {
        return SockUnit::FailureExitStatus;
    }

    EchoServer server(*options);
    StopSignals stopSignals([&] {
        server.Stop();
        QCoreApplication::exit(0);
    });
    try {
        server.Start();
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << "; sockecho ends" << std::endl;
        return 1;
    }
    return QCoreApplication::exec();
}
