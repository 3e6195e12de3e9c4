#include "examples/sockecho/EchoServer.h"

#include "sock/Sock.h"

#include <QScopeGuard>
#include <cstdio>

namespace zintra {

EchoServer::EchoServer(const EchoOptions& options)
    : quiet_(options.Quiet), listener_(std::make_unique<TSock>(nullptr)) {
    TSock& sock = *listener_;
    sock.SetPortName(options.Port);
    sock.SetBlocking(options.Blocking);
    sock.SetBlockingTimeout(options.TimeoutSeconds);
    sock.SetAutoAccept(true);
    // Accepted connections take these handlers over from the listener. A quiet server asks
    // for no reports, so none are made.
    if (!quiet_) {
        sock.OnInfo = [this](QObject*, TSocketInfo kind, std::string text) { Report(kind, text); };
    }
    if (options.Blocking) {
        sock.OnAutoAccept = [](QObject*, TSock* accepted) { ServeBlocking(accepted); };
        return;
    }
    sock.OnAutoAccept = [](QObject*, TSock*) {};
    sock.OnRead = [](QObject* sender, std::int32_t) {
        auto* connection = static_cast<TSock*>(sender);
        connection->Send(connection->Receive(-1));
    };
    // Called just before the component closes: it goes once the notification is handled.
    sock.OnDisconnect = [](QObject* sender) { sender->deleteLater(); };
}

EchoServer::~EchoServer() = default;

void EchoServer::Start() {
    listener_->SetListen(true);
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
    if (quiet_) {
        return;
    }
    const std::string line = SocketInfoText[kind] + ": " + text + "\n";
    std::lock_guard guard(output_);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

// Runs on the connection's accept thread until the peer closes; the component is released on
// the window thread however the serving ends.
void EchoServer::ServeBlocking(TSock* sock) {
    const auto release = qScopeGuard([sock] { sock->deleteLater(); });
    while (sock->Connected()) {
        if (const std::string data = sock->Receive(-1); !data.empty()) {
            sock->Send(data);
        }
    }
}

} // namespace zintra
