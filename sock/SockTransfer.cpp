#include "sock/ErrorName.h"
#include "sock/Sock.h"
#include "winsock/SockMessage.h"

#include <QCoreApplication>
#include <algorithm>
#include <climits>

namespace zintra {

namespace {

// WinSock takes at most an int's worth of bytes per call.
int CallLength(std::size_t size) {
    return int(std::min<std::size_t>(size, INT_MAX));
}

} // namespace

char* TSock::RecvArea() {
    if (!recvArea_) {
        recvArea_ = std::make_unique_for_overwrite<char[]>(RecvAreaSize);
    }
    return recvArea_.get();
}

bool TSock::Send(std::string_view data) {
    return SendOrQueue(data, nullptr);
}

bool TSock::Send(std::string&& data) {
    return SendOrQueue(data, &data);
}

bool TSock::SendOrQueue(std::string_view data, std::string* owned) {
    if (socketHandle_ == INVALID_SOCKET) {
        throw ESockException("Send - Socket Not Connected");
    }
    if (listen_) {
        throw ESockException("Send - Cannot Send On A Listener Socket");
    }
    if (socketType_ == stDatagram) {
        return SendDatagram(data, hostName_);
    }
    if (blocking_) {
        SendBlocking(data);
        return true;
    }
    // Without an info handler nothing runs before the send, so with nothing queued the bytes
    // go out from the caller's memory and only what the socket does not take is queued.
    if (!OnInfo && outBuffer_.Empty()) {
        if (!data.empty()) {
            const int sent =
                WinSockLayer().send(socketHandle_, data.data(), CallLength(data.size()), 0);
            outBuffer_.Append(data.substr(sent > 0 ? std::size_t(sent) : 0));
            SendAttempted(sent);
        }
        return true;
    }
    if (owned) {
        outBuffer_.AppendOwned(std::move(*owned));
    } else {
        outBuffer_.Append(data);
    }
    if (outBuffer_.Empty()) {
        return true;
    }
    const Lifetime::Watch alive = lifetime_.Observe();
    DoInfo(siSend, "Non-Blocking Outgoing Data");
    if (!alive.Alive()) {
        return true;
    }
    const std::string_view pending = outBuffer_.View();
    const int sent =
        WinSockLayer().send(socketHandle_, pending.data(), CallLength(pending.size()), 0);
    if (sent > 0) {
        outBuffer_.Drop(std::size_t(sent));
    }
    SendAttempted(sent);
    return true;
}

// A send that fails for good after the peer has gone leaves nothing to wait for: no FD_WRITE
// follows, and the connection ends, saying why.
void TSock::SendAttempted(int sent) {
    WinSock& layer = WinSockLayer();
    const int code = sent == SOCKET_ERROR ? layer.WSAGetLastError() : 0;
    sendError_ = code == WSAEWOULDBLOCK ? 0 : code;
    if (shutdownSendPending_ && outBuffer_.Empty()) {
        ShutdownSendNow();
    }
    if (closeWhenSent_ && sendError_ != 0) {
        const Lifetime::Watch alive = lifetime_.Observe();
        DoInfo(siError, ErrorNumberText(sendError_));
        if (alive.Alive()) {
            Close();
        }
    }
}

// A fresh buffer goes out from the caller's memory without being copied into OutBuffer first:
// its unsent bytes count as the front of OutBuffer, and move there should sending fail.
void TSock::SendBlocking(std::string_view data) {
    if (outBuffer_.Empty() && unsentFront_.empty()) {
        unsentFront_ = data;
    } else {
        outBuffer_.Append(data);
    }
    WinSock& layer = WinSockLayer();
    const Lifetime::Watch alive = lifetime_.Observe();
    try {
        while (!unsentFront_.empty() || !outBuffer_.Empty()) {
            const bool front = !unsentFront_.empty();
            const std::string_view pending = front ? unsentFront_ : outBuffer_.View();
            const int sent =
                layer.send(socketHandle_, pending.data(), CallLength(pending.size()), 0);
            if (sent == SOCKET_ERROR && layer.WSAGetLastError() != WSAEINPROGRESS) {
                DoInfo(siError, "Socket Error On Send");
                throw ESockException("Send - Socket Error");
            }
            if (sent > 0 && front) {
                unsentFront_.remove_prefix(std::size_t(sent));
            } else if (sent > 0) {
                outBuffer_.Drop(std::size_t(sent));
            }
            DoInfo(siSend, "Blocking Outgoing Data");
            if (!alive.Alive()) {
                return;
            }
        }
    } catch (...) {
        // The failure's report may have reached a handler that destroyed the component.
        if (alive.Alive()) {
            outBuffer_.Prepend(unsentFront_);
            unsentFront_ = {};
        }
        throw;
    }
    if (shutdownSendPending_) {
        ShutdownSendNow();
    }
}

std::string TSock::Receive(std::int32_t count) {
    if (socketHandle_ == INVALID_SOCKET && inBuffer_.Empty()) {
        throw ESockException("Receive - Socket Not Connected");
    }
    if (listen_) {
        throw ESockException("Receive - Cannot Receive On A Listener Socket");
    }
    // Asking for no bytes, or for a count that means nothing, takes nothing.
    if (count == 0 || count < -1) {
        return {};
    }
    if (socketType_ == stDatagram) {
        std::string address;
        return ReceiveDatagram(address);
    }
    if (blocking_) {
        return ReceiveBlockingStream(count == -1 || count > RecvAreaSize ? RecvAreaSize : count);
    }
    std::string taken = count == -1 || std::size_t(count) >= inBuffer_.Size()
                            ? inBuffer_.TakeAll()
                            : inBuffer_.Take(std::size_t(count));
    ResumeReading();
    return taken;
}

// Without a time limit the read itself is the wait, so its report follows it: either way the
// report tells that the socket was readable.
std::string TSock::ReceiveBlockingStream(int readSize) {
    if (connected_ && ReadyToRead()) {
        const Lifetime::Watch alive = lifetime_.Observe();
        WinSock& layer = WinSockLayer();
        const int received = layer.recv(socketHandle_, RecvArea(), readSize, 0);
        const int code = received == SOCKET_ERROR ? layer.WSAGetLastError() : 0;
        DoInfo(siReceive, "Blocking Incoming Data");
        if (!alive.Alive()) {
            return {};
        }
        if (received == SOCKET_ERROR) {
            inBuffer_.Clear();
            DoInfo(siError, "Socket Error On Receive");
            throw ESockException("Receive - Socket Error " + ErrorName(code));
        }
        if (received > 0) {
            const std::string_view fresh(RecvArea(), std::size_t(received));
            if (inBuffer_.Empty()) {
                return std::string(fresh);
            }
            inBuffer_.Append(fresh);
        } else {
            std::string rest = inBuffer_.TakeAll();
            DoInfo(siClose, "Socket Disconnected On Receive");
            if (alive.Alive()) {
                Close();
            }
            if (alive.Alive() && OnDisconnect) {
                OnDisconnect(this);
            }
            return rest;
        }
    }
    return inBuffer_.TakeAll();
}

// Without a time limit the read itself is the wait. A limited wait asks select first, and bytes
// already held are handed out without waiting: select then only polls for more.
bool TSock::ReadyToRead() {
    if (blockingTimeout_ < 0 && inBuffer_.Empty()) {
        return true;
    }
    return WaitReadable(!inBuffer_.Empty());
}

bool TSock::WaitReadable(bool poll) {
    FdSet readable;
    readable.Add(socketHandle_);
    const TimeVal wait{poll ? 0 : blockingTimeout_, 0};
    const bool limited = poll || blockingTimeout_ >= 0;
    return WinSockLayer().select(0, &readable, nullptr, nullptr, limited ? &wait : nullptr) > 0;
}

bool TSock::SendDatagram(std::string_view data, const std::string& host) {
    if (socketHandle_ == INVALID_SOCKET) {
        throw ESockException("SendDatagram - Socket Not Connected");
    }
    if (socketType_ == stStream) {
        throw ESockException("SendDatagram - Datagram Send Not Supported On Stream Sockets");
    }
    const Lifetime::Watch alive = lifetime_.Observe();
    SetHostName(host);
    if (!alive.Alive()) {
        return true;
    }
    if (!data.empty()) {
        WinSockLayer().sendto(socketHandle_, data.data(), CallLength(data.size()), 0, &destAddr_,
                              sizeof destAddr_);
    }
    return true;
}

std::string TSock::ReceiveDatagram(std::string& address) {
    if (socketHandle_ == INVALID_SOCKET) {
        throw ESockException("ReceiveDatagram - Socket Not Connected");
    }
    if (socketType_ == stStream) {
        throw ESockException("ReceiveDatagram - Datagram Receive Not Supported On Stream Sockets");
    }
    address.clear();
    std::string data;
    if (WaitReadable(false)) {
        int addressLength = sizeof peerAddr_;
        const int received = WinSockLayer().recvfrom(socketHandle_, RecvArea(), RecvAreaSize, 0,
                                                     &peerAddr_, &addressLength);
        if (received > 0) {
            data.assign(RecvArea(), std::size_t(received));
            address = PeerAddressText();
        }
    }
    return data;
}

std::string TSock::PeerAddressText() const {
    return WinSockLayer().inet_ntoa(peerAddr_.sin_addr);
}

bool TSock::ReadAheadFull() const {
    return readAheadLimit_ > 0 && inBuffer_.Size() >= readAheadLimit_;
}

// The FD_READ that found InBuffer full was spent without a read, and WinSock sends the next
// only after one: the component posts itself another. A connection whose peer has gone reads
// no more: it ends once OutBuffer is sent.
void TSock::ResumeReading() {
    if (!readPaused_ || ReadAheadFull() || socketHandle_ == INVALID_SOCKET || closeWhenSent_) {
        return;
    }
    HoldReading(false);
    QCoreApplication::postEvent(
        this, new TSockMessage(WM_SOCK, socketHandle_, TSockMessage::MakeLParam(FD_READ, 0)));
}

} // namespace zintra
