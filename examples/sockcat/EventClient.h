#pragma once

#include "examples/sockcat/CatOptions.h"
#include "examples/sockcat/Console.h"
#include "sock/Sock.h"

#include <QObject>

class QSocketNotifier;

namespace zintra {

// sockcat without blocking calls: the component's events and a notifier on standard input
// drive everything from the event loop.
class EventClient : public QObject {
public:
    explicit EventClient(const CatOptions& options);
    ~EventClient() override;
    EventClient(const EventClient&) = delete;
    EventClient& operator=(const EventClient&) = delete;

    // Connects (or opens the datagram socket) and runs until the exchange is over; the exit
    // status.
    int Run();

private:
    void InputReady();
    void InputEnded();
    // The peer has closed its sending side: what is left of the input is still sent, read as
    // the connection takes it, before the connection ends.
    void SendRestOfInput();
    void Received();
    void Closed();
    // A failure ends the program with status 1 and its text on standard error.
    void Fail(const std::string& text);
    // Ends the exchange with the status; the first outcome stands.
    void Done(int status);
    template <typename Step> void Guarded(Step step);

    TSock sock_{nullptr};
    bool udp_;
    QSocketNotifier* input_ = nullptr;
    bool inputEnded_ = false;
    bool peerClosed_ = false;
    bool failed_ = false;
    bool done_ = false;
    LineSplitter lines_;
};

} // namespace zintra
