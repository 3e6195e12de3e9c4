#include "examples/sockecho/EchoServer.h"

#include "sock/ErrorName.h"
#include "sock/Sock.h"
#include "sock/SockExceptions.h"
#include "winsock/WinSockErrors.h"

#include <QScopeGuard>
#include <cstdio>
#include <malloc.h>

namespace zintra {

namespace {

// What one connection may hold: input read ahead, and echo waiting to go out before it takes
// more input. A peer that sends without reading is then held back by TCP.
constexpr std::size_t ReadAheadBytes = 1 << 20;
constexpr std::size_t QueuedEchoBytes = 1 << 20;
// How long the server must go without a connection ending before it gives memory back.
constexpr int QuietMs = 500;

void EchoWhatFits(TSock& connection) {
    if (connection.OutBuffer().Size() <= QueuedEchoBytes && !connection.InBuffer().Empty()) {
        connection.Send(connection.Receive(-1));
    }
}

// ": Address already in use (WSAEADDRINUSE)": the system's words for the error the layer met last
// on this thread, or nothing when it met none.
std::string LastErrorReason() {
    const int code = WinSockLayer().WSAGetLastError();
    if (code == 0) {
        return {};
    }
    const std::string reason = ErrorReason(code);
    return ": " + (reason.empty() ? ErrorName(code) : reason + " (" + ErrorName(code) + ")");
}

// Whether a listener's error report is of the accept the layer failed last.
bool IsAcceptFailure(const std::string& report) {
    return report == ErrorNumberText(WinSockLayer().WSAGetLastError());
}

// A listener's report of a failed accept, with why it failed and what follows: the layer asks
// again a little later.
std::string ExplainAcceptFailure(const std::string& report) {
    const int code = WinSockLayer().WSAGetLastError();
    const std::string reason = ErrorReason(code);
    return report + (reason.empty() ? "" : ": " + reason) +
           (code == WSAEMFILE ? "; accepting resumes once descriptors are free"
                              : "; accepting goes on");
}

} // namespace

EchoServer::EchoServer(const EchoOptions& options)
    : quiet_(options.Quiet), verbose_(options.Verbose),
      listener_(std::make_unique<TSock>(nullptr)) {
    // Each accept thread would otherwise take one of the allocator's per-thread heaps (up to
    // eight per core), whose free top the quiet moment's trim leaves resident: a megabyte or more
    // each. On the one shared heap the trim gives back all that the connections held.
    if (options.Blocking) {
        ::mallopt(M_ARENA_MAX, 1);
    }
    quietMoment_.setSingleShot(true);
    quietMoment_.setInterval(QuietMs);
    QObject::connect(&quietMoment_, &QTimer::timeout, [] { ::malloc_trim(0); });
    TSock& sock = *listener_;
    sock.SetPortName(options.Port);
    sock.SetBlocking(options.Blocking);
    sock.SetBlockingTimeout(options.TimeoutSeconds);
    sock.SetListenBacklog(options.Backlog);
    sock.SetAutoAccept(true);
    // Accepted connections take these handlers over from the listener. A connection served on
    // the main thread reports its close last, after the echo still queued when the peer closed
    // went out: it goes once the notification is handled. A quiet server on accept threads
    // needs no reports, so it asks for none and none are made.
    if (!quiet_ || !options.Blocking) {
        sock.OnInfo = [this, blocking = options.Blocking](QObject* sender, TSocketInfo kind,
                                                          std::string text) {
            if (kind == siError && sender == listener_.get() && IsAcceptFailure(text)) {
                // While accepts fail, the layer asks again ten times a second: the failure is
                // told again only once a connection has ended and given back its descriptor.
                if (!acceptFailureTold_.exchange(true)) {
                    Report(kind, ExplainAcceptFailure(text));
                }
                return;
            }
            Report(kind, text);
            if (!blocking && kind == siClose && sender != listener_.get()) {
                sender->deleteLater();
                ConnectionEnded();
            }
        };
    }
    if (options.Blocking) {
        sock.OnAutoAccept = [this](QObject*, TSock* accepted) { ServeBlocking(accepted); };
        return;
    }
    sock.SetReadAheadLimit(ReadAheadBytes);
    sock.OnAutoAccept = [](QObject*, TSock*) {};
    sock.OnRead = [](QObject* sender, std::int32_t) { EchoWhatFits(*static_cast<TSock*>(sender)); };
    sock.OnWrite = [](QObject* sender) { EchoWhatFits(*static_cast<TSock*>(sender)); };
}

EchoServer::~EchoServer() = default;

void EchoServer::Start() {
    try {
        listener_->SetListen(true);
    } catch (const ESockException& failure) {
        throw std::runtime_error(failure.what() + LastErrorReason());
    }
}

void EchoServer::Stop() {
    if (!listener_) {
        return;
    }
    listener_->SetListen(false);
    listener_.reset();
}

// Several accept threads report at once: each line is written whole.
void EchoServer::Report(TSocketInfo kind, const std::string& text) {
    if (quiet_ || (kind == siLookUp && !verbose_)) {
        return;
    }
    const std::string line = SocketInfoText[kind] + ": " + text + "\n";
    std::lock_guard guard(output_);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

void EchoServer::ConnectionEnded() {
    acceptFailureTold_ = false;
    // Named, the call is made inside Qt, whose queue hands it over safely between threads.
    QMetaObject::invokeMethod(&quietMoment_, "start", Qt::QueuedConnection);
}

// Runs on the connection's accept thread until the peer closes; the component is released on
// the window thread however the serving ends.
void EchoServer::ServeBlocking(TSock* sock) {
    const auto release = qScopeGuard([this, sock] {
        sock->deleteLater();
        ConnectionEnded();
    });
    while (sock->Connected()) {
        if (const std::string data = sock->Receive(-1); !data.empty()) {
            sock->Send(data);
        }
    }
}

} // namespace zintra
