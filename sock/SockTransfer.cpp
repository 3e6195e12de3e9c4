#include "sock/ErrorName.h"
#include "sock/Sock.h"

#include <algorithm>
#include <climits>

namespace {

// WinSock takes at most an int's worth of bytes per call.
int CallLength(std::size_t size) {
    return int(std::min<std::size_t>(size, INT_MAX));
}

} // namespace

bool TSock::Send(std::string_view data) {
    if (socketHandle == INVALID_SOCKET)
        throw ESockException("Send - Socket Not Connected");
    if (listen)
        throw ESockException("Send - Cannot Send On A Listener Socket");
    if (socketType == stDatagram)
        return SendDatagram(data, hostName);
    if (blocking) {
        SendBlocking(data);
        return true;
    }
    outBuffer.Append(data);
    if (outBuffer.Empty())
        return true;
    DoInfo(siSend, "Non-Blocking Outgoing Data");
    const std::string_view pending = outBuffer.View();
    const int sent =
        WinSockLayer().send(socketHandle, pending.data(), CallLength(pending.size()), 0);
    if (sent > 0)
        outBuffer.Drop(std::size_t(sent));
    return true;
}

// A fresh buffer goes out from the caller's memory without being copied into OutBuffer first:
// its unsent bytes count as the front of OutBuffer, and move there should sending fail.
void TSock::SendBlocking(std::string_view data) {
    if (outBuffer.Empty() && unsentFront.empty())
        unsentFront = data;
    else
        outBuffer.Append(data);
    WinSock& layer = WinSockLayer();
    try {
        while (!unsentFront.empty() || !outBuffer.Empty()) {
            const bool front = !unsentFront.empty();
            const std::string_view pending = front ? unsentFront : outBuffer.View();
            const int sent =
                layer.send(socketHandle, pending.data(), CallLength(pending.size()), 0);
            if (sent == SOCKET_ERROR && layer.WSAGetLastError() != WSAEINPROGRESS) {
                DoInfo(siError, "Socket Error On Send");
                throw ESockException("Send - Socket Error");
            }
            if (sent > 0 && front)
                unsentFront.remove_prefix(std::size_t(sent));
            else if (sent > 0)
                outBuffer.Drop(std::size_t(sent));
            DoInfo(siSend, "Blocking Outgoing Data");
        }
    } catch (...) {
        outBuffer.Prepend(unsentFront);
        unsentFront = {};
        throw;
    }
}

std::string TSock::Receive(std::int32_t count) {
    if (socketHandle == INVALID_SOCKET && inBuffer.Empty())
        throw ESockException("Receive - Socket Not Connected");
    if (listen)
        throw ESockException("Receive - Cannot Receive On A Listener Socket");
    // Asking for no bytes, or for a count that means nothing, takes nothing.
    if (count == 0 || count < -1)
        return {};
    if (socketType == stDatagram) {
        std::string address;
        return ReceiveDatagram(address);
    }
    if (blocking)
        return ReceiveBlockingStream(count == -1 || count > RecvAreaSize ? RecvAreaSize : count);
    if (count == -1 || std::size_t(count) >= inBuffer.Size())
        return inBuffer.TakeAll();
    return inBuffer.Take(std::size_t(count));
}

std::string TSock::ReceiveBlockingStream(int readSize) {
    if (connected && ReadyToRead()) {
        DoInfo(siReceive, "Blocking Incoming Data");
        WinSock& layer = WinSockLayer();
        const int received = layer.recv(socketHandle, recvArea.data(), readSize, 0);
        if (received == SOCKET_ERROR) {
            const int code = layer.WSAGetLastError();
            inBuffer.Clear();
            DoInfo(siError, "Socket Error On Receive");
            throw ESockException("Receive - Socket Error " + ErrorName(code));
        }
        if (received > 0) {
            const std::string_view fresh(recvArea.data(), std::size_t(received));
            if (inBuffer.Empty())
                return std::string(fresh);
            inBuffer.Append(fresh);
        } else {
            DoInfo(siClose, "Socket Disconnected On Receive");
            Close();
            if (OnDisconnect)
                OnDisconnect(this);
        }
    }
    return inBuffer.TakeAll();
}

// Without a time limit the read itself is the wait. A limited wait asks select first, and bytes
// already held are handed out without waiting: select then only polls for more.
bool TSock::ReadyToRead() {
    if (blockingTimeout < 0 && inBuffer.Empty())
        return true;
    return WaitReadable(!inBuffer.Empty());
}

bool TSock::WaitReadable(bool poll) {
    FdSet readable;
    readable.Add(socketHandle);
    const TimeVal wait{poll ? 0 : blockingTimeout, 0};
    const bool limited = poll || blockingTimeout >= 0;
    return WinSockLayer().select(0, &readable, nullptr, nullptr, limited ? &wait : nullptr) > 0;
}

bool TSock::SendDatagram(std::string_view data, const std::string& host) {
    if (socketHandle == INVALID_SOCKET)
        throw ESockException("SendDatagram - Socket Not Connected");
    if (socketType == stStream)
        throw ESockException("SendDatagram - Datagram Send Not Supported On Stream Sockets");
    SetHostName(host);
    if (!data.empty())
        WinSockLayer().sendto(socketHandle, data.data(), CallLength(data.size()), 0, &destAddr,
                              sizeof destAddr);
    return true;
}

std::string TSock::ReceiveDatagram(std::string& address) {
    if (socketHandle == INVALID_SOCKET)
        throw ESockException("ReceiveDatagram - Socket Not Connected");
    if (socketType == stStream)
        throw ESockException("ReceiveDatagram - Datagram Receive Not Supported On Stream Sockets");
    address.clear();
    std::string data;
    if (WaitReadable(false)) {
        int addressLength = sizeof peerAddr;
        const int received = WinSockLayer().recvfrom(socketHandle, recvArea.data(), RecvAreaSize, 0,
                                                     &peerAddr, &addressLength);
        if (received > 0) {
            data.assign(recvArea.data(), std::size_t(received));
            address = PeerAddressText();
        }
    }
    return data;
}

std::string TSock::PeerAddressText() const {
    return WinSockLayer().inet_ntoa(peerAddr.sin_addr);
}
