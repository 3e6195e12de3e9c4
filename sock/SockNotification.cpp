#include "sock/ErrorName.h"
#include "sock/Sock.h"
#include "sock/SockApplication.h"
#include "winsock/SockMessage.h"

namespace zintra {

void TSock::SetBlocking(bool value) {
    blocking_ = value;
    if ((ComponentState().Reading && !ComponentState().Designing) ||
        socketHandle_ == INVALID_SOCKET) {
        return;
    }
    SelectNotifications(listen_);
    // A shutdown that waited for OutBuffer to drain is not lost with the notifications that
    // would have drained it: the blocking socket sends the rest now, and shuts down after it.
    if (blocking_ && shutdownSendPending_) {
        try {
            Send(std::string_view());
        } catch (const ESockException&) {
            // Reported as "Socket Error On Send"; the bytes stay in OutBuffer.
        }
    }
}

// A listener hears of waiting connections whatever Blocking says: Blocking only decides how the
// connections it accepts are served. Any other socket hears of the events of its type, or of
// none when it blocks.
long TSock::NotificationMask(bool listening) const {
    if (listening) {
        return FD_ACCEPT;
    }
    if (blocking_) {
        return 0;
    }
    if (socketType_ == stDatagram) {
        return FD_READ;
    }
    return readPaused_ ? FD_WRITE | FD_CLOSE : FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;
}

void TSock::HoldReading(bool held) {
    readPaused_ = held;
    SelectNotifications(/*listening=*/false);
}

void TSock::SelectNotifications(bool listening) {
    if (!parentControl_) {
        parentControl_ = ApplicationFirstForm();
    }
    WinSock& layer = WinSockLayer();
    const long mask = NotificationMask(listening);
    layer.WSAAsyncSelect(socketHandle_, this, WM_SOCK, mask);
    if (mask == 0) {
        // Only a socket without notifications can block again.
        std::uint32_t nonBlocking = 0;
        layer.ioctlsocket(socketHandle_, WsFionbio, &nonBlocking);
    }
}

// Notifications come from the event loop: a failure in their handling is shown, and the
// program goes on.
bool TSock::event(QEvent* e) {
    auto* message = dynamic_cast<TSockMessage*>(e);
    if (!message || message->type() != QEvent::Type(WM_SOCK)) {
        return TComponent::event(e);
    }
    try {
        WMSock(*message);
    } catch (const std::exception& failure) {
        ShowNotificationFailure(failure);
    }
    return true;
}

// Handled against the component's state when the notification arrives, which may be after the
// socket it concerns was closed. Any handler may destroy the component: nothing of it is touched
// after a handler that did.
void TSock::WMSock(const TSockMessage& Message) {
    // A notification still queued for a socket the component closed meets the component as it
    // stands; but once it holds a new socket, one about the old socket is not about the new.
    if (socketHandle_ != INVALID_SOCKET && Message.WParam != socketHandle_) {
        return;
    }
    const int event = int(Message.LParam & 0xFFFF);
    const int error = int(Message.LParam >> 16);
    const Lifetime::Watch alive = lifetime_.Observe();
    if (error > 10000) {
        // A connect that failed leaves nothing to use: the component is idle again. An
        // accepted or connected socket that fails cannot be used again: it ends as a closed
        // one does, whatever event brought the failure.
        const bool connecting = event == FD_CONNECT && !connected_;
        const bool ends = event == FD_CLOSE || (event == FD_CONNECT && connected_);
        if (connecting) {
            CloseQuietly();
        }
        DoInfo(siError, ErrorNumberText(error));
        if (ends && alive.Alive()) {
            PeerClosed(/*failed=*/true);
        }
        return;
    }
    switch (event) {
    case FD_READ:
        ReadNotified();
        break;
    case FD_WRITE:
        WriteNotified();
        break;
    case FD_ACCEPT:
        if (autoAccept_ && OnAutoAccept) {
            AcceptConnection();
        } else if (OnAccept) {
            OnAccept(this);
        }
        break;
    case FD_CONNECT:
        connected_ = true;
        DoInfo(siConnect, "Non-Blocking Socket Connected");
        if (alive.Alive() && OnConnect) {
            OnConnect(this);
        }
        break;
    case FD_CLOSE:
        PeerClosed(/*failed=*/false);
        break;
    default:
        break;
    }
}

void TSock::ReadNotified() {
    const Lifetime::Watch alive = lifetime_.Observe();
    if (socketType_ == stStream) {
        // At the limit the bytes stay in the socket, and TCP holds the peer back; Receive asks
        // for them again once InBuffer has room.
        if (ReadAheadFull()) {
            if (!readPaused_) {
                HoldReading(true);
            }
        } else {
            const int received = WinSockLayer().recv(socketHandle_, RecvArea(), RecvAreaSize, 0);
            if (received > 0) {
                inBuffer_.Append(std::string_view(RecvArea(), std::size_t(received)));
            }
        }
        DoInfo(siReceive, "Non-Blocking Incoming Data");
        if (!alive.Alive()) {
            return;
        }
    }
    if (OnRead) {
        OnRead(this, std::int32_t(inBuffer_.Size()));
    }
}

// After the peer closed, the socket closes once OnWrite has had its turn and OutBuffer is empty,
// or once sending failed.
void TSock::WriteNotified() {
    const Lifetime::Watch alive = lifetime_.Observe();
    if (!outBuffer_.Empty()) {
        Send(std::string_view());
        // A send that failed after the peer had gone ended the connection.
        if (!alive.Alive() || socketHandle_ == INVALID_SOCKET) {
            return;
        }
    }
    DoInfo(siSend, "Non-Blocking Outgoing Data");
    if (alive.Alive() && OnWrite) {
        OnWrite(this);
    }
    if (alive.Alive() && closeWhenSent_ && outBuffer_.Empty()) {
        Close();
    }
}

// What Send accepted is not dropped while the peer may still read it. A send that already
// failed is the connection's failure.
void TSock::PeerClosed(bool failed) {
    const Lifetime::Watch alive = lifetime_.Observe();
    if (!failed && sendError_ != 0) {
        failed = true;
        DoInfo(siError, ErrorNumberText(sendError_));
        if (!alive.Alive()) {
            return;
        }
    }
    if (OnDisconnect) {
        OnDisconnect(this);
        if (!alive.Alive()) {
            return;
        }
    }
    if (failed || outBuffer_.Empty() || socketHandle_ == INVALID_SOCKET) {
        Close();
    } else {
        closeWhenSent_ = true;
    }
}

} // namespace zintra
