#include "winsock/AsyncSelection.h"

#include "winsock/PosixWinSock.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>
#include <utility>

namespace zintra {

namespace {

// How many notifications one notifier's pass sends at once before it posts the rest.
constexpr int SendBurst = 16;

// After a failed accept the waiting connection is still there; the listener asks again after
// this pause instead of at once, so running out of descriptors costs no CPU.
constexpr std::chrono::milliseconds AcceptRetryPause(100);

SocketState StateOf(TSocket s) {
    int type = 0;
    socklen_t length = sizeof type;
    if (::getsockopt(s, SOL_SOCKET, SO_TYPE, &type, &length) == 0 && type == SOCK_DGRAM) {
        return SocketState::Datagram;
    }
    int accepting = 0;
    length = sizeof accepting;
    if (::getsockopt(s, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &length) == 0 && accepting) {
        return SocketState::Listening;
    }
    sockaddr_storage peer{};
    length = sizeof peer;
    if (::getpeername(s, reinterpret_cast<sockaddr*>(&peer), &length) == 0) {
        return SocketState::Connected;
    }
    // Neither connected nor listening. A connect under way shows nothing yet, and one that
    // failed shows its error, which FD_CONNECT reports; a socket that never connected only
    // hangs up.
    pollfd probe{s, POLLOUT, 0};
    ::poll(&probe, 1, 0);
    if (probe.revents & POLLERR || !(probe.revents & (POLLHUP | POLLOUT))) {
        return SocketState::Connecting;
    }
    return SocketState::Idle;
}

} // namespace

AsyncSelection::AsyncSelection(std::mutex& lock, ReadAhead& readAhead, TSocket s, QObject* target,
                               unsigned msg, long mask, QueuedMessage::Count queued)
    : lock_(lock), readAhead_(readAhead), s_(s), target_(target), msg_(msg), mask_(mask),
      queued_(std::move(queued)), state_(StateOf(s)) {
    moveToThread(target->thread());
    // A new selection of a connected socket reports that it can send.
    writeWanted_ = state_ == SocketState::Connected || state_ == SocketState::Datagram;
}

void AsyncSelection::Received(bool filled) {
    if (readHeld_ && state_ == SocketState::Connected && !ended_) {
        if (readAhead_.Held(s_) > 0) {
            // FD_READ again at once while bytes wait, as WinSock does.
            Post(FD_READ, 0);
            return;
        }
        // A read that took all it could may have left more behind: within a notifier's
        // pass, reading on saves a round through the poller. Past the burst, and anywhere
        // else, the notifier takes over again.
        const bool full = std::exchange(lastFillFull_, false) || filled;
        if (full && sendingAtOnce_ && OnOwnThread() && sentInPass_ < SendBurst) {
            readHeld_ = false;
            ConnectionReadable();
            if (readHeld_) {
                return;
            }
        }
    }
    readHeld_ = false;
    RefreshSoon();
}

void AsyncSelection::Accepted(bool failed) {
    readHeld_ = false;
    acceptPaused_ = failed;
    RefreshSoon();
}

void AsyncSelection::SendWouldBlock() {
    writeWanted_ = true;
    RefreshSoon();
}

void AsyncSelection::Listening() {
    state_ = SocketState::Listening;
    readHeld_ = false;
    RefreshSoon();
}

void AsyncSelection::Connecting() {
    state_ = SocketState::Connecting;
    RefreshSoon();
}

void AsyncSelection::End() {
    ended_ = true;
    for (const std::uint32_t lParam : std::exchange(due_, {})) {
        Queue(lParam);
    }
    if (!OnOwnThread()) {
        deleteLater();
        return;
    }
    // Off before the socket closes: a notifier must never watch a closed descriptor.
    Refresh();
    if (inCallback_) {
        deleteLater();
    } else {
        delete this;
    }
}

void AsyncSelection::RefreshSoon() {
    if (OnOwnThread()) {
        Refresh();
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            std::lock_guard guard(lock_);
            Refresh();
        },
        Qt::QueuedConnection);
}

void AsyncSelection::Refresh() {
    bool read = false, write = false;
    switch (state_) {
    case SocketState::Idle:
        break;
    case SocketState::Connecting:
        write = !ended_;
        break;
    case SocketState::Listening:
        read = Watches(FD_ACCEPT) && !readHeld_ && !acceptPaused_;
        break;
    case SocketState::Connected:
        read = Watches(FD_READ | FD_CLOSE) && !readHeld_ && !peerClosed_;
        write = Watches(FD_WRITE) && writeWanted_;
        break;
    case SocketState::Datagram:
        read = Watches(FD_READ) && !readHeld_;
        write = Watches(FD_WRITE) && writeWanted_;
        break;
    }
    Switch(reader_, QSocketNotifier::Read, read, &AsyncSelection::ReadReady);
    Switch(writer_, QSocketNotifier::Write, write, &AsyncSelection::WriteReady);
    if (acceptPaused_ && !ended_) {
        RetryAcceptLater();
    }
}

void AsyncSelection::RetryAcceptLater() {
    if (!retry_) {
        retry_ = new QTimer(this);
        retry_->setSingleShot(true);
        connect(retry_, &QTimer::timeout, this, [this] {
            std::lock_guard guard(lock_);
            acceptPaused_ = false;
            Refresh();
        });
    }
    if (!retry_->isActive()) {
        retry_->start(AcceptRetryPause);
    }
}

void AsyncSelection::Switch(QSocketNotifier*& notifier, QSocketNotifier::Type type, bool on,
                            void (AsyncSelection::*ready)()) {
    if (!notifier && on) {
        notifier = new QSocketNotifier(s_, type, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, ready] {
            std::unique_lock guard(lock_);
            if (ended_) {
                return;
            }
            inCallback_ = true;
            sendingAtOnce_ = true;
            (this->*ready)();
            Refresh();
            SendDue(guard);
        });
    }
    if (notifier && notifier->isEnabled() != on) {
        notifier->setEnabled(on);
    }
}

void AsyncSelection::SendDue(std::unique_lock<std::mutex>& guard) {
    const QPointer<AsyncSelection> alive(this);
    for (sentInPass_ = 0; !due_.empty();) {
        const std::uint32_t lParam = due_.front();
        due_.erase(due_.begin());
        // A target moved to another thread since it was selected hears through its queue.
        if (sentInPass_ == SendBurst || *queued_ > 0 || !target_ || target_->thread() != thread()) {
            Queue(lParam);
            continue;
        }
        ++sentInPass_;
        guard.unlock();
        TSockMessage message(msg_, s_, lParam);
        QCoreApplication::sendEvent(target_, &message);
        guard.lock();
        // A nested event loop in the handler may have destroyed an ended selection.
        if (!alive) {
            return;
        }
    }
    sendingAtOnce_ = false;
    inCallback_ = false;
}

void AsyncSelection::ReadReady() {
    switch (state_) {
    case SocketState::Listening:
        readHeld_ = true;
        Post(FD_ACCEPT, 0);
        break;
    case SocketState::Datagram:
        readHeld_ = true;
        Post(FD_READ, 0);
        break;
    case SocketState::Connected:
        ConnectionReadable();
        break;
    default:
        break;
    }
}

void AsyncSelection::ConnectionReadable() {
    const long n = readAhead_.Fill(s_);
    const int error = errno;
    if (n > 0) {
        readHeld_ = true;
        lastFillFull_ = std::size_t(n) >= ReadAhead::ChunkSize;
        Post(FD_READ, 0);
    } else if (n == 0 || (error != EAGAIN && error != EWOULDBLOCK && error != EINTR)) {
        peerClosed_ = true;
        if (writeWanted_) {
            writeWanted_ = false;
            Post(FD_WRITE, 0);
        }
        Post(FD_CLOSE, n == 0 ? 0 : WinSockErrorFromErrno(error));
    }
}

void AsyncSelection::WriteReady() {
    if (state_ != SocketState::Connecting) {
        writeWanted_ = false;
        Post(FD_WRITE, 0);
        return;
    }
    int error = 0;
    socklen_t length = sizeof error;
    ::getsockopt(s_, SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0) {
        state_ = SocketState::Idle;
        Post(FD_CONNECT, WinSockErrorFromErrno(error));
        return;
    }
    state_ = SocketState::Connected;
    Post(FD_CONNECT, 0);
    writeWanted_ = false;
    Post(FD_WRITE, 0);
}

void AsyncSelection::Post(int event, int error) {
    if (!(mask_ & event) || !target_) {
        return;
    }
    const std::uint32_t lParam = TSockMessage::MakeLParam(event, error);
    if (sendingAtOnce_ && OnOwnThread()) {
        due_.push_back(lParam);
    } else {
        Queue(lParam);
    }
}

void AsyncSelection::Queue(std::uint32_t lParam) {
    if (target_) {
        QCoreApplication::postEvent(target_, new QueuedMessage(msg_, s_, lParam, queued_));
    }
}

} // namespace zintra
