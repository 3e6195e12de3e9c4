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
#include <sys/socket.h>

namespace {

// After a failed accept the waiting connection is still there; the listener asks again after
// this pause instead of at once, so running out of descriptors costs no CPU.
constexpr std::chrono::milliseconds AcceptRetryPause(100);

enum class SocketState { Idle, Connecting, Connected, Listening, Datagram };

SocketState StateOf(TSocket s) {
    int type = 0;
    socklen_t length = sizeof type;
    if (::getsockopt(s, SOL_SOCKET, SO_TYPE, &type, &length) == 0 && type == SOCK_DGRAM)
        return SocketState::Datagram;
    int accepting = 0;
    length = sizeof accepting;
    if (::getsockopt(s, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &length) == 0 && accepting)
        return SocketState::Listening;
    sockaddr_storage peer{};
    length = sizeof peer;
    if (::getpeername(s, reinterpret_cast<sockaddr*>(&peer), &length) == 0)
        return SocketState::Connected;
    // Neither connected nor listening. A connect under way shows nothing yet, and one that
    // failed shows its error, which FD_CONNECT reports; a socket that never connected only
    // hangs up.
    pollfd probe{s, POLLOUT, 0};
    ::poll(&probe, 1, 0);
    if (probe.revents & POLLERR || !(probe.revents & (POLLHUP | POLLOUT)))
        return SocketState::Connecting;
    return SocketState::Idle;
}

} // namespace

// The notification state of one socket. Every member runs with the selections' lock held; the
// notifiers and the timer are made and switched only on the target's thread.
class AsyncSelection : public QObject {
public:
    AsyncSelection(std::mutex& lock, TSocket s, QObject* target, unsigned msg, long mask)
        : lock(lock), s(s), target(target), msg(msg), mask(mask), state(StateOf(s)) {
        moveToThread(target->thread());
        // A new selection of a connected socket reports that it can send.
        writeWanted = state == SocketState::Connected || state == SocketState::Datagram;
    }

    void Received() {
        readHeld = false;
        RefreshSoon();
    }

    void Accepted(bool failed) {
        readHeld = false;
        acceptPaused = failed;
        RefreshSoon();
    }

    void SendWouldBlock() {
        writeWanted = true;
        RefreshSoon();
    }

    void Listening() {
        state = SocketState::Listening;
        readHeld = false;
        RefreshSoon();
    }

    // Silences the selection for good and lets it go.
    void End() {
        ended = true;
        if (QThread::currentThread() != thread()) {
            deleteLater();
            return;
        }
        // Off before the socket closes: a notifier must never watch a closed descriptor.
        Refresh();
        if (inCallback)
            deleteLater();
        else
            delete this;
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
                std::lock_guard guard(lock);
                Refresh();
            },
            Qt::QueuedConnection);
    }

private:
    bool Watches(int events) const { return !ended && (mask & events) != 0; }

    void Refresh() {
        bool read = false, write = false;
        switch (state) {
        case SocketState::Idle:
            break;
        case SocketState::Connecting:
            write = !ended;
            break;
        case SocketState::Listening:
            read = Watches(FD_ACCEPT) && !readHeld && !acceptPaused;
            break;
        case SocketState::Connected:
            read = Watches(FD_READ | FD_CLOSE) && !readHeld && !peerClosed;
            write = Watches(FD_WRITE) && writeWanted;
            break;
        case SocketState::Datagram:
            read = Watches(FD_READ) && !readHeld;
            write = Watches(FD_WRITE) && writeWanted;
            break;
        }
        Switch(reader, QSocketNotifier::Read, read, &AsyncSelection::ReadReady);
        Switch(writer, QSocketNotifier::Write, write, &AsyncSelection::WriteReady);
        if (acceptPaused && !ended)
            RetryAcceptLater();
    }

    void RetryAcceptLater() {
        if (!retry) {
            retry = new QTimer(this);
            retry->setSingleShot(true);
            connect(retry, &QTimer::timeout, this, [this] {
                std::lock_guard guard(lock);
                acceptPaused = false;
                Refresh();
            });
        }
        if (!retry->isActive())
            retry->start(AcceptRetryPause);
    }

    void Switch(QSocketNotifier*& notifier, QSocketNotifier::Type type, bool on,
                void (AsyncSelection::*ready)()) {
        if (!notifier && on) {
            notifier = new QSocketNotifier(s, type, this);
            connect(notifier, &QSocketNotifier::activated, this, [this, ready] {
                std::lock_guard guard(lock);
                if (ended)
                    return;
                inCallback = true;
                (this->*ready)();
                Refresh();
                inCallback = false;
            });
        }
        if (notifier && notifier->isEnabled() != on)
            notifier->setEnabled(on);
    }

    void ReadReady() {
        switch (state) {
        case SocketState::Listening:
            readHeld = true;
            Post(FD_ACCEPT, 0);
            break;
        case SocketState::Datagram:
            readHeld = true;
            Post(FD_READ, 0);
            break;
        case SocketState::Connected:
            ConnectionReadable();
            break;
        default:
            break;
        }
    }

    // Data comes before the close behind it: FD_CLOSE only once nothing is left to read.
    void ConnectionReadable() {
        char byte;
        const ssize_t n = ::recv(s, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n > 0) {
            readHeld = true;
            Post(FD_READ, 0);
        } else if (n == 0) {
            peerClosed = true;
            Post(FD_CLOSE, 0);
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            peerClosed = true;
            Post(FD_CLOSE, WinSockErrorFromErrno(errno));
        }
    }

    void WriteReady() {
        if (state != SocketState::Connecting) {
            writeWanted = false;
            Post(FD_WRITE, 0);
            return;
        }
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0) {
            state = SocketState::Idle;
            Post(FD_CONNECT, WinSockErrorFromErrno(error));
            return;
        }
        state = SocketState::Connected;
        Post(FD_CONNECT, 0);
        writeWanted = false;
        Post(FD_WRITE, 0);
    }

    void Post(int event, int error) {
        if (mask & event && target)
            QCoreApplication::postEvent(
                target, new TSockMessage(msg, s, TSockMessage::MakeLParam(event, error)));
    }

    std::mutex& lock;
    const TSocket s;
    const QPointer<QObject> target;
    const unsigned msg;
    const long mask;
    SocketState state;
    bool readHeld = false;     // FD_READ or FD_ACCEPT posted and not yet re-enabled
    bool peerClosed = false;   // FD_CLOSE posted: nothing more comes from the peer
    bool writeWanted = false;  // FD_WRITE to be posted once the socket can send
    bool acceptPaused = false; // a failed accept waits before the listener asks again
    bool ended = false;
    bool inCallback = false;
    QSocketNotifier* reader = nullptr;
    QSocketNotifier* writer = nullptr;
    QTimer* retry = nullptr;
};

void AsyncSelections::Select(TSocket s, QObject* target, unsigned msg, long mask) {
    std::lock_guard guard(lock);
    if (const auto it = selections.find(s); it != selections.end()) {
        AsyncSelection* previous = it->second;
        selections.erase(it);
        previous->End();
    }
    if (mask == 0)
        return;
    auto* selection = new AsyncSelection(lock, s, target, msg, mask);
    selections.emplace(s, selection);
    selection->RefreshSoon();
}

void AsyncSelections::End(TSocket s) {
    std::lock_guard guard(lock);
    if (const auto it = selections.find(s); it != selections.end()) {
        AsyncSelection* selection = it->second;
        selections.erase(it);
        selection->End();
    }
}

template <typename Change> void AsyncSelections::Update(TSocket s, Change change) {
    std::lock_guard guard(lock);
    if (const auto it = selections.find(s); it != selections.end())
        change(*it->second);
}

void AsyncSelections::Received(TSocket s) {
    Update(s, [](AsyncSelection& selection) { selection.Received(); });
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
