#include "sock/ErrorName.h"
#include "sock/Sock.h"
#include "sock/SockThread.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <system_error>

namespace zintra {

namespace {

// How often a listener being destroyed looks whether its accept threads have ended.
constexpr unsigned long AcceptThreadPollMs = 5;

} // namespace

void TSock::SetListen(bool value) {
    if (ComponentState().Designing) {
        listen_ = value;
        if (value && socketType_ == stDatagram) {
            SetSocketType(stStream);
        } else {
            UpdateGlyph();
        }
        return;
    }
    if (ComponentState().Reading) {
        listen_ = value;
        return;
    }
    if (socketHandle_ != INVALID_SOCKET && !listen_) {
        throw ESockException("Listen - Socket Already In Use");
    }
    if (socketType_ == stDatagram && value) {
        // A Listen stored for a datagram socket is dropped with the failure.
        listen_ = false;
        throw ESockException("Listen - Cannot Listen On A Datagram Socket");
    }
    if (!value) {
        // A listener that stops is closed as any socket, and says so.
        listen_ = false;
        const Lifetime::Watch alive = lifetime_.Observe();
        Close();
        if (alive.Alive()) {
            DoInfo(siListen, "Listening Stopped");
        }
    } else if (listen_) {
        DoInfo(siListen, "Listening Already Running");
    } else {
        StartListening();
    }
}

// The component listens once its socket does: a start that fails closes the socket it made and
// leaves the component idle, so that a later start can succeed once the port is free.
void TSock::StartListening() {
    WinSock& layer = WinSockLayer();
    const TSocket s = layer.socket(WsAfInet, WsSockStream, 0);
    socketHandle_ = s;
    SockAddrIn address;
    address.sin_family = WsAfInet;
    address.sin_addr = NetLong(WsInaddrAny);
    const Lifetime::Watch alive = lifetime_.Observe();
    try {
        address.sin_port = LookupPort(portName_);
    } catch (...) {
        if (alive.Alive()) {
            CloseQuietly();
        }
        throw;
    }
    // A component destroyed by the report's handler has closed the socket it held.
    if (!alive.Alive()) {
        return;
    }
    // Without a socket there is nothing to bind; the port was looked up and reported all the same.
    if (s == INVALID_SOCKET) {
        throw ESockException("Listen - Error Binding Socket");
    }
    SelectNotifications(/*listening=*/true);
    if (layer.bind(s, address, sizeof address) != 0) {
        CloseQuietly();
        throw ESockException("Listen - Error Binding Socket");
    }
    if (layer.listen(s, listenBacklog_) != 0) {
        CloseQuietly();
        throw ESockException("Listen - Error Starting Listen");
    }
    listen_ = true;
    DoInfo(siListen, "Listening Started");
}

TSock* TSock::CreateAccepted(TSocket Handle) {
    auto* sock = new TSock(this);
    sock->SetBlocking(blocking_);
    sock->Attach(Handle);
    sock->SetBlockingTimeout(blockingTimeout_);
    sock->SetReadAheadLimit(readAheadLimit_);
    sock->OnRead = OnRead;
    sock->OnWrite = OnWrite;
    sock->OnDisconnect = OnDisconnect;
    sock->OnInfo = OnInfo;
    return sock;
}

// A connection that accept could not take makes no component: the failure is reported on
// the listener, and WinSock asks again a little later.
void TSock::AcceptConnection() {
    WinSock& layer = WinSockLayer();
    SockAddrIn address;
    int length = sizeof address;
    const TSocket s = layer.accept(socketHandle_, &address, &length);
    if (s == INVALID_SOCKET) {
        DoInfo(siError, ErrorNumberText(layer.WSAGetLastError()));
        return;
    }
    peerAddr_ = address;
    TSock* newSock = nullptr;
    // The accepted socket is the listener's until a component holds it.
    try {
        newSock = CreateAccepted(s);
    } catch (...) {
        layer.closesocket(s);
        throw;
    }
    // The setters report through the handlers, which may destroy the new component.
    const Lifetime::Watch accepted = newSock->lifetime_.Observe();
    newSock->SetPortName(portName_);
    if (accepted.Alive()) {
        newSock->SetLocalPortName(localPortName_);
    }
    if (accepted.Alive()) {
        newSock->SetHostName(layer.inet_ntoa(address.sin_addr));
    }
    if (!accepted.Alive()) {
        return;
    }
    if (blocking_) {
        ServeOnAcceptThread(newSock);
    } else {
        OnAutoAccept(this, newSock);
    }
}

// A connection no thread can serve ends at once, saying why; the listener goes on accepting.
void TSock::ServeOnAcceptThread(TSock* newSock) {
    auto thread = std::make_unique<TSockThread>();
    try {
        thread->Start(this, newSock);
    } catch (const std::system_error& failure) {
        const Lifetime::Watch alive = lifetime_.Observe();
        delete newSock;
        if (alive.Alive()) {
            DoInfo(siError, "Accept Thread Not Started (" + failure.code().message() + ")");
        }
        return;
    }
    acceptThreads_.push_back(std::move(thread));
}

// The components served on accept threads are destroyed only once no thread uses them. A handler
// may be waiting for the window thread, so the window thread serves its events meanwhile, holding
// nothing: one of them may destroy another listener, which waits for its own threads the same
// way. The threads' termination notices, posted once their handlers returned, are dropped with
// the threads.
void TSock::ReleaseFinishedAcceptThreads() {
    std::erase_if(acceptThreads_, [](const auto& t) { return t->Finished(); });
}

void TSock::StopAcceptThreads() {
    if (acceptThreads_.empty()) {
        return;
    }
    for (const auto& thread : acceptThreads_) {
        thread->AbortConnection();
    }
    const auto running = [this] {
        return std::any_of(acceptThreads_.begin(), acceptThreads_.end(),
                           [](const auto& t) { return !t->Finished(); });
    };
    if (QCoreApplication::instance() && QThread::currentThread() == thread()) {
        while (running()) {
            QCoreApplication::sendPostedEvents();
            QThread::msleep(AcceptThreadPollMs);
        }
    }
    std::vector<std::unique_ptr<TSockThread>> ended = std::move(acceptThreads_);
    ended.clear();
    if (QCoreApplication::instance()) {
        QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    }
}

} // namespace zintra
