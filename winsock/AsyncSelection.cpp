#include "winsock/AsyncSelection.h"

#include "winsock/PosixWinSock.h"
#include "winsock/ReadySet.h"
#include "winsock/SocketIdentity.h"

#include <QTimer>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <utility>

namespace zintra {

namespace {

// How many bytes one readiness pass reads for one connection: a bulk stream then takes no more of
// a pass than a few round trips do.
constexpr std::size_t PassBytes = 4 * ReadAhead::ChunkSize;

// What shows that a connection has ended.
constexpr std::uint32_t EndEvents = EPOLLRDHUP | EPOLLHUP | EPOLLERR;

// After a failed accept the waiting connection is still there; the listener asks again after
// this pause instead of at once, so running out of descriptors costs no CPU.
constexpr std::chrono::milliseconds AcceptRetryPause(100);

SocketState StateOf(TSocket s, bool accepted) {
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
    // A connection reset before it was accepted has no peer left, and is still a connection;
    // so is one whose peer has gone with bytes still waiting to be read.
    int waiting = 0;
    if (accepted || ::getpeername(s, reinterpret_cast<sockaddr*>(&peer), &length) == 0 ||
        (::ioctl(s, FIONREAD, &waiting) == 0 && waiting > 0)) {
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

AsyncSelection::AsyncSelection(std::mutex& lock, ReadAhead& readAhead, SocketFacts& facts,
                               TSocket s, QObject* target, unsigned msg, long mask,
                               QueuedMessage::Count queued)
    : lock_(lock), readAhead_(readAhead), facts_(facts), s_(s), mask_(mask),
      identity_(IdentityOf(s)), state_(StateOf(s, facts.FromAccept(s))),
      delivery_(*this, target, msg, s, std::move(queued)), watch_(s, *this) {
    moveToThread(target->thread());
    Begin();
}

bool AsyncSelection::Reselect(QObject* target, unsigned msg, long mask) {
    // Once the peer's end was heard, a new selection tells it again, as WinSock does: that
    // takes the full start.
    if (ended_ || peerEnd_ != PeerEnd::Open || !delivery_.SameTarget(target, msg) ||
        !SameSocket(s_, identity_)) {
        return false;
    }
    mask_ = mask;
    readHeld_ = false;
    Begin();
    RefreshSoon();
    return true;
}

void AsyncSelection::Begin() {
    // A new selection of a connected socket reports that it can send.
    writeWanted_ = state_ == SocketState::Connected || state_ == SocketState::Datagram;
    // Bytes read ahead under an earlier selection are where the readiness set cannot see them.
    if (state_ == SocketState::Connected && Watches(FD_READ) && readAhead_.Held(s_) > 0) {
        readHeld_ = true;
        Notify(FD_READ, 0);
    }
    // The system tells a reset once: a selection that reads learns it again after the bytes, as
    // the end of them, and one that does not hears it at once. A reset connection may show no
    // peer any more, and so look idle.
    const bool connection = state_ == SocketState::Connected || state_ == SocketState::Idle;
    if (connection && Watches(FD_CLOSE) && !Watches(FD_READ)) {
        if (const int reset = facts_.ResetOf(s_); reset != 0) {
            PeerGone(reset);
        }
    }
}

void AsyncSelection::Received(bool filled) {
    // A close heard behind bytes the application has now read is told.
    if ((peerEnd_ == PeerEnd::Unread || peerEnd_ == PeerEnd::Shut) && !ended_ && !BytesUnread()) {
        PeerGone(0);
    }
    if (readHeld_ && state_ == SocketState::Connected && !ended_) {
        if (readAhead_.Held(s_) > 0) {
            // FD_READ again at once while bytes wait, as WinSock does.
            Notify(FD_READ, 0);
            return;
        }
        // A read that took all it could may have left more behind: within a readiness pass,
        // reading on saves a round through the event loop. Past the burst, and anywhere
        // else, the readiness set takes over again.
        const bool full = std::exchange(lastFillFull_, false) || filled;
        if (full && delivery_.PassHasRoom() && readInPass_ < PassBytes) {
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
    if (!failed && delivery_.InPass() && !ended_) {
        AcceptOn();
        if (readHeld_) {
            return;
        }
    }
    // No connection waits: the listener is watched again, whatever an earlier pass dropped.
    RefreshSoon();
}

void AsyncSelection::AcceptOn() {
    pollfd waiting{s_, POLLIN, 0};
    if (::poll(&waiting, 1, 0) == 1 && (waiting.revents & POLLIN)) {
        readHeld_ = true;
        Notify(FD_ACCEPT, 0);
    }
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
    delivery_.PostDue();
    if (!OnOwnThread()) {
        watch_.Leave();
        deleteLater();
        return;
    }
    // Off before the socket closes, so that its number is free for the next socket.
    Refresh(/*lazy=*/false);
    if (delivery_.InPass()) {
        deleteLater();
    } else {
        delete this;
    }
}

int AsyncSelection::Start() {
    if (!OnOwnThread()) {
        RefreshSoon();
        return 0;
    }
    return Watch(/*lazy=*/true);
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

std::uint32_t AsyncSelection::Wanted() const {
    bool read = false, write = false, end = false, closeEnd = false;
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
        read = Watches(FD_READ) && !readHeld_ && peerEnd_ != PeerEnd::Told;
        // Without FD_READ the application is not reading; it still hears of a reset at once.
        end = !Watches(FD_READ) && Watches(FD_CLOSE);
        closeEnd = end && peerEnd_ == PeerEnd::Open;
        end = end && (peerEnd_ == PeerEnd::Open || peerEnd_ == PeerEnd::Unread);
        write = Watches(FD_WRITE) && writeWanted_;
        break;
    case SocketState::Datagram:
        read = Watches(FD_READ) && !readHeld_;
        write = Watches(FD_WRITE) && writeWanted_;
        break;
    }
    return (read ? ReadySet::ReadEvents : 0) | (write ? std::uint32_t(EPOLLOUT) : 0) |
           (end ? std::uint32_t(EPOLLERR) : 0) | (closeEnd ? std::uint32_t(EPOLLRDHUP) : 0);
}

int AsyncSelection::Watch(bool lazy) {
    if (const int error = watch_.Watch(Wanted(), lazy); error != 0) {
        return error;
    }
    if (acceptPaused_ && !ended_) {
        RetryAcceptLater();
    }
    return 0;
}

// A socket the system will not watch is told so once, by the event it waits for, and is
// watched for nothing more.
void AsyncSelection::Refresh(bool lazy) {
    const int error = Watch(lazy);
    if (error == 0 || ended_) {
        return;
    }
    const SocketState state = std::exchange(state_, SocketState::Idle);
    const int event = state == SocketState::Connecting  ? FD_CONNECT
                      : state == SocketState::Listening ? FD_ACCEPT
                                                        : FD_CLOSE;
    Notify(event, WinSockErrorFromErrno(error));
    Watch(/*lazy=*/false);
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

void AsyncSelection::Ready(std::uint32_t events) {
    std::unique_lock guard(lock_);
    if (ended_) {
        return;
    }
    delivery_.BeginPass();
    readInPass_ = 0;
    // FD_WRITE first: it goes before the FD_CLOSE that reading may find.
    const std::uint32_t wanted = Wanted();
    if ((wanted & EPOLLOUT) && (events & (EPOLLOUT | EPOLLHUP | EPOLLERR))) {
        WriteReady();
    }
    if ((wanted & EPOLLIN) && (events & (EPOLLIN | EndEvents))) {
        ReadReady();
    } else if ((wanted & EPOLLERR) && (events & EndEvents)) {
        ConnectionEnded(events);
    }
    // What shows unwanted, or stays shown for good, is no longer watched for: nothing spins.
    Refresh(/*lazy=*/!(events & ~wanted) && !(events & EndEvents));
    delivery_.EndPass(guard, /*unbounded=*/state_ == SocketState::Listening);
}

void AsyncSelection::ReadReady() {
    switch (state_) {
    case SocketState::Listening:
        readHeld_ = true;
        Notify(FD_ACCEPT, 0);
        break;
    case SocketState::Datagram:
        readHeld_ = true;
        Notify(FD_READ, 0);
        break;
    case SocketState::Connected:
        ConnectionReadable();
        break;
    default:
        break;
    }
}

void AsyncSelection::ConnectionReadable() {
    const long n = readAhead_.Fill(s_, identity_);
    const int error = errno;
    if (n > 0) {
        readHeld_ = true;
        readInPass_ += std::size_t(n);
        lastFillFull_ = std::size_t(n) >= ReadAhead::ChunkSize;
        Notify(FD_READ, 0);
    } else if (n == 0 || (error != EAGAIN && error != EWOULDBLOCK && error != EINTR)) {
        // A reset an earlier reading took shows as an orderly end now.
        PeerGone(n == 0 ? facts_.ResetOf(s_) : error);
    }
}

void AsyncSelection::PeerGone(int error) {
    peerEnd_ = PeerEnd::Told;
    if (error != 0) {
        facts_.Reset(s_, identity_, error);
    }
    if (writeWanted_) {
        writeWanted_ = false;
        Notify(FD_WRITE, 0);
    }
    Notify(FD_CLOSE, error == 0 ? 0 : WinSockErrorFromErrno(error));
}

void AsyncSelection::ConnectionEnded(std::uint32_t events) {
    int error = 0;
    socklen_t length = sizeof error;
    ::getsockopt(s_, SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0 || !BytesUnread()) {
        PeerGone(error);
        return;
    }
    // The close waits behind the bytes until reading goes on; a hang-up stays shown for good.
    peerEnd_ = events & EPOLLHUP ? PeerEnd::Shut : PeerEnd::Unread;
}

bool AsyncSelection::BytesUnread() {
    int waiting = 0;
    return readAhead_.Held(s_) > 0 || (::ioctl(s_, FIONREAD, &waiting) == 0 && waiting > 0);
}

void AsyncSelection::WriteReady() {
    if (state_ != SocketState::Connecting) {
        writeWanted_ = false;
        Notify(FD_WRITE, 0);
        return;
    }
    int error = 0;
    socklen_t length = sizeof error;
    ::getsockopt(s_, SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0) {
        state_ = SocketState::Idle;
        Notify(FD_CONNECT, WinSockErrorFromErrno(error));
        return;
    }
    state_ = SocketState::Connected;
    Notify(FD_CONNECT, 0);
    writeWanted_ = false;
    Notify(FD_WRITE, 0);
}

void AsyncSelection::Notify(int event, int error) {
    if (mask_ & event) {
        delivery_.Notify(event, error);
    }
}

} // namespace zintra
