#pragma once

#include "winsock/NotificationDelivery.h"
#include "winsock/ReadAhead.h"
#include "winsock/SocketFacts.h"
#include "winsock/SocketWatch.h"

#include <QObject>
#include <QThread>
#include <cstdint>
#include <mutex>
#include <sys/types.h>

class QTimer;

namespace zintra {

enum class SocketState { Idle, Connecting, Connected, Listening, Datagram };

// The notification rules of one selected socket, kept by AsyncSelections. Its state says what
// the socket is (connecting, connected, listening, datagram) and which events are outstanding: a
// sent FD_READ or FD_ACCEPT holds reading until recv or accept re-enables it, FD_WRITE waits for
// a send that would block, FD_CLOSE and FD_CONNECT go once. The order rules: data before the
// close behind it, the owed FD_WRITE before FD_CLOSE, FD_CONNECT before the first FD_WRITE. Its
// watch in the readiness set follows the state; its delivery sends or posts what becomes due.
// Every member runs with the selections' lock held, except Ready, which takes it; the watch and
// the timer are used only on the target's thread.
class AsyncSelection : public QObject {
public:
    AsyncSelection(std::mutex& lock, ReadAhead& readAhead, SocketFacts& facts, TSocket s,
                   QObject* target, unsigned msg, long mask, QueuedMessage::Count queued);

    const QueuedMessage::Count& Queued() const { return delivery_.Queued(); }

    // A new mask for the same socket and window, as a new selection would have it, on the same
    // watch: holding and resuming reading costs no new selection. False when the selection
    // cannot take it (another window, a socket that took the number since, or a peer's end
    // heard, which a new selection tells again).
    bool Reselect(QObject* target, unsigned msg, long mask);

    void Received(bool filled);
    void Accepted(bool failed);
    void SendWouldBlock();
    void Listening();
    void Connecting();

    // Silences the selection for good and lets it go. Notifications already due still reach
    // the target, as posted ones do.
    void End();

    // Starts watching the socket: at once on the target's thread, where a failure is returned
    // (an errno value), or soon on it.
    int Start();
    // Brings what the readiness set watches for in line with the state, on the target's thread.
    void RefreshSoon();

    // The readiness set saw the socket ready (epoll events), on the target's thread.
    void Ready(std::uint32_t events);

private:
    // What a selection begins with: FD_WRITE owed to a connection, FD_READ for bytes held, and
    // FD_CLOSE for a reset heard before, unless reading will find it.
    void Begin();
    bool OnOwnThread() const { return QThread::currentThread() == thread(); }
    bool Watches(int events) const { return !ended_ && (mask_ & events) != 0; }

    // What the socket is watched for as it stands: epoll events.
    std::uint32_t Wanted() const;
    // lazy: a read interest no longer wanted may stay until it next shows. Watch returns what
    // the system refused (an errno value); Refresh reports it.
    int Watch(bool lazy);
    void Refresh(bool lazy = true);
    void RetryAcceptLater();

    void ReadReady();
    // Reading tells data from the peer's close, and the bytes wait in the read-ahead for recv.
    // Data comes before the close behind it: FD_CLOSE only once nothing is left to read, and
    // after the FD_WRITE still owed, which WinSock posts first.
    void ConnectionReadable();
    // A connection whose application does not read, but wants to hear of its end, showed it
    // (epoll events). A reset is told at once; an orderly close only once nothing before it
    // is left to read.
    void ConnectionEnded(std::uint32_t events);
    bool BytesUnread();
    // The peer closed (error 0) or the connection failed (errno): FD_CLOSE, after the owed
    // FD_WRITE.
    void PeerGone(int error);
    void WriteReady();
    // Within a pass, another connection that waits is told at once rather than in a later pass.
    void AcceptOn();

    // The event, if selected, to the target.
    void Notify(int event, int error);

    std::mutex& lock_;
    ReadAhead& readAhead_;
    SocketFacts& facts_;
    const TSocket s_;
    long mask_;
    const ino_t identity_;
    SocketState state_;
    bool readHeld_ = false;     // FD_READ or FD_ACCEPT sent and not yet re-enabled
    bool lastFillFull_ = false; // the read-ahead took a whole chunk: more may wait
    // How far the peer's end has been heard: FD_CLOSE sent, or an orderly close seen while
    // reading is held, with bytes before it still unread; then only a reset is watched for,
    // or nothing once both directions are shut.
    enum class PeerEnd { Open, Unread, Shut, Told };
    PeerEnd peerEnd_ = PeerEnd::Open;
    bool writeWanted_ = false;  // FD_WRITE to be sent once the socket can send
    bool acceptPaused_ = false; // a failed accept waits before the listener asks again
    bool ended_ = false;
    std::size_t readInPass_ = 0;
    NotificationDelivery delivery_;
    SocketWatch watch_;
    QTimer* retry_ = nullptr;
};

} // namespace zintra
