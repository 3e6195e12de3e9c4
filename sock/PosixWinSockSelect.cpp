#include "sock/PosixWinSockSelect.h"

#include "sock/PosixWinSock.h"
#include "sock/SockMessage.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace zintra {

namespace {

// After a failed accept the waiting connection is still there; the listener asks again after
// this pause instead of at once, so running out of descriptors costs no CPU.
constexpr std::chrono::milliseconds AcceptRetryPause(100);

enum class SocketState { Idle, Connecting, Connected, Listening, Datagram };

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

// The notification state of one socket. Every member runs with the selections' lock held; the
// notifiers and the timer are made and switched only on the target's thread.
class AsyncSelection : public QObject {
public:
    AsyncSelection(std::mutex& lock, TSocket s, QObject* target, unsigned msg, long mask)
        : lock_(lock), s_(s), target_(target), msg_(msg), mask_(mask), state_(StateOf(s)) {
        moveToThread(target->thread());
        // A new selection of a connected socket reports that it can send.
        writeWanted_ = state_ == SocketState::Connected || state_ == SocketState::Datagram;
    }

    void Received(bool filled) {
        if (filled && readHeld_ && BytesWaiting()) {
            // FD_READ again at once, as WinSock does while bytes wait, instead of a round
            // through the poller and two notifier switches.
            Post(FD_READ, 0);
            return;
        }
        readHeld_ = false;
        RefreshSoon();
    }

    void Accepted(bool failed) {
        readHeld_ = false;
        acceptPaused_ = failed;
        RefreshSoon();
    }

    void SendWouldBlock() {
        writeWanted_ = true;
        RefreshSoon();
    }

    void Listening() {
        state_ = SocketState::Listening;
        readHeld_ = false;
        RefreshSoon();
    }

    void Connecting() {
        state_ = SocketState::Connecting;
        RefreshSoon();
    }

    // Silences the selection for good and lets it go.
    void End() {
        ended_ = true;
        if (QThread::currentThread() != thread()) {
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

    // Brings the notifiers in line with the state, on the target's thread.
    void RefreshSoon() {
        if (QThread::currentThread() == thread()) {
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

private:
    bool Watches(int events) const { return !ended_ && (mask_ & events) != 0; }

    // Only a connection read on the target's thread: a datagram socket's count is that of one
    // datagram, and a read elsewhere leaves the re-enabling to Refresh.
    bool BytesWaiting() const {
        if (ended_ || state_ != SocketState::Connected || QThread::currentThread() != thread()) {
            return false;
        }
        int waiting = 0;
        return ::ioctl(s_, FIONREAD, &waiting) == 0 && waiting > 0;
    }

    void Refresh() {
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

    void RetryAcceptLater() {
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

    void Switch(QSocketNotifier*& notifier, QSocketNotifier::Type type, bool on,
                void (AsyncSelection::*ready)()) {
        if (!notifier && on) {
            notifier = new QSocketNotifier(s_, type, this);
            connect(notifier, &QSocketNotifier::activated, this, [this, ready] {
                std::lock_guard guard(lock_);
                if (ended_) {
                    return;
                }
                inCallback_ = true;
                (this->*ready)();
                Refresh();
                inCallback_ = false;
            });
        }
        if (notifier && notifier->isEnabled() != on) {
            notifier->setEnabled(on);
        }
    }

    void ReadReady() {
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

    // Data comes before the close behind it: FD_CLOSE only once nothing is left to read, and
    // after the FD_WRITE still owed, which WinSock posts first.
    void ConnectionReadable() {
        char byte;
        const ssize_t n = ::recv(s_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        const int error = errno;
        if (n > 0) {
            readHeld_ = true;
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

    void WriteReady() {
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

    void Post(int event, int error) {
        if (mask_ & event && target_) {
            QCoreApplication::postEvent(
                target_, new TSockMessage(msg_, s_, TSockMessage::MakeLParam(event, error)));
        }
    }

    std::mutex& lock_;
    const TSocket s_;
    const QPointer<QObject> target_;
    const unsigned msg_;
    const long mask_;
    SocketState state_;
    bool readHeld_ = false;     // FD_READ or FD_ACCEPT posted and not yet re-enabled
    bool peerClosed_ = false;   // FD_CLOSE posted: nothing more comes from the peer
    bool writeWanted_ = false;  // FD_WRITE to be posted once the socket can send
    bool acceptPaused_ = false; // a failed accept waits before the listener asks again
    bool ended_ = false;
    bool inCallback_ = false;
    QSocketNotifier* reader_ = nullptr;
    QSocketNotifier* writer_ = nullptr;
    QTimer* retry_ = nullptr;
};

void AsyncSelections::Select(TSocket s, QObject* target, unsigned msg, long mask) {
    std::lock_guard guard(lock_);
    if (const auto it = selections_.find(s); it != selections_.end()) {
        AsyncSelection* previous = it->second;
        selections_.erase(it);
        previous->End();
    }
    if (mask == 0) {
        return;
    }
    auto* selection = new AsyncSelection(lock_, s, target, msg, mask);
    selections_.emplace(s, selection);
    selection->RefreshSoon();
}

void AsyncSelections::End(TSocket s) {
    std::lock_guard guard(lock_);
    if (const auto it = selections_.find(s); it != selections_.end()) {
        AsyncSelection* selection = it->second;
        selections_.erase(it);
        selection->End();
    }
}

template <typename Change> void AsyncSelections::Update(TSocket s, Change change) {
    std::lock_guard guard(lock_);
    if (const auto it = selections_.find(s); it != selections_.end()) {
        change(*it->second);
    }
}

void AsyncSelections::Received(TSocket s, bool filled) {
    Update(s, [filled](AsyncSelection& selection) { selection.Received(filled); });
}

void AsyncSelections::Accepted(TSocket s, bool failed) {
    Update(s, [failed](AsyncSelection& selection) { selection.Accepted(failed); });
}

void AsyncSelections::SendWouldBlock(TSocket s) {
    Update(s, [](AsyncSelection& selection) { selection.SendWouldBlock(); });
}

void AsyncSelections::Listening(TSocket s) {
    Update(s, [](AsyncSelection& selection) { selection.Listening(); });
}

void AsyncSelections::Connecting(TSocket s) {
    Update(s, [](AsyncSelection& selection) { selection.Connecting(); });
}

} // namespace zintra
