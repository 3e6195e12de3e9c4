#include "sock/ErrorName.h"
#include "sock/Sock.h"

namespace zintra {

namespace {

// "-1" and "" leave the choice of the local port to the system.
bool AnyLocalPort(const std::string& name) {
    return name.empty() || name == "-1";
}

} // namespace

void TSock::Open() {
    if (socketHandle_ != INVALID_SOCKET || listen_) {
        throw ESockException("Open - Socket Already In Use");
    }
    if (socketType_ == stDatagram) {
        OpenDatagram();
    } else {
        Connect();
    }
}

// Names are looked up before a socket exists, so that a failed look-up leaves nothing open.
void TSock::Connect() {
    const Lifetime::Watch alive = lifetime_.Observe();
    SockAddrIn peer;
    peer.sin_family = WsAfInet;
    peer.sin_addr = LookupHost(hostName_);
    if (!alive.Alive()) {
        return;
    }
    peer.sin_port = LookupPort(portName_);
    if (!alive.Alive()) {
        return;
    }
    WinSock& layer = WinSockLayer();
    const TSocket s = layer.socket(WsAfInet, WsSockStream, 0);
    if (s == INVALID_SOCKET) {
        throw ESockException("Open - Error Creating Socket");
    }
    socketHandle_ = s;
    SelectNotifications(/*listening=*/false);
    if (layer.connect(s, peer, sizeof peer) == 0) {
        // A non-blocking connect made at once still reports through FD_CONNECT.
        if (blocking_) {
            connected_ = true;
            DoInfo(siConnect, "Blocking Socket Connected");
            if (alive.Alive() && OnConnect) {
                OnConnect(this);
            }
        }
        return;
    }
    const int code = layer.WSAGetLastError();
    if (!blocking_ && code == WSAEWOULDBLOCK) {
        return;
    }
    CloseQuietly();
    if (blocking_) {
        throw ESockException("Open - Error Connecting Socket " + ErrorName(code));
    }
    DoInfo(siError, ErrorNumberText(code));
}

void TSock::OpenDatagram() {
    const Lifetime::Watch alive = lifetime_.Observe();
    SockAddrIn local;
    local.sin_family = WsAfInet;
    local.sin_addr = NetLong(WsInaddrAny);
    local.sin_port = AnyLocalPort(localPortName_) ? 0 : LookupPort(localPortName_);
    if (!alive.Alive()) {
        return;
    }
    const std::optional<SockAddrIn> destination = DatagramDestination();
    if (!destination) {
        return;
    }
    WinSock& layer = WinSockLayer();
    const TSocket s = layer.socket(WsAfInet, WsSockDgram, 0);
    if (s == INVALID_SOCKET) {
        throw ESockException("Open - Error Creating Socket");
    }
    socketHandle_ = s;
    if (layer.bind(s, local, sizeof local) != 0) {
        CloseQuietly();
        throw ESockException("Open - Error Binding Socket");
    }
    destAddr_ = *destination;
    connected_ = true;
    SelectNotifications(/*listening=*/false);
}

std::optional<SockAddrIn> TSock::DatagramDestination() {
    const Lifetime::Watch alive = lifetime_.Observe();
    SockAddrIn destination;
    destination.sin_family = WsAfInet;
    destination.sin_addr = LookupHost(hostName_);
    if (!alive.Alive()) {
        return std::nullopt;
    }
    destination.sin_port = portName_.empty() ? 0 : LookupPort(portName_);
    if (!alive.Alive()) {
        return std::nullopt;
    }
    return destination;
}

void TSock::ShutdownSend() {
    if (socketHandle_ == INVALID_SOCKET) {
        throw ESockException("ShutdownSend - Socket Not Connected");
    }
    if (listen_ || socketType_ == stDatagram) {
        throw ESockException("ShutdownSend - Only A Stream Connection Can Be Shut Down");
    }
    // Bytes still queued go first; the send that empties OutBuffer ends the sending side.
    if (!blocking_ && !outBuffer_.Empty()) {
        shutdownSendPending_ = true;
        return;
    }
    if (!ShutdownSendNow()) {
        throw ESockException("ShutdownSend - Socket Error " +
                             ErrorName(WinSockLayer().WSAGetLastError()));
    }
}

bool TSock::ShutdownSendNow() {
    shutdownSendPending_ = false;
    return WinSockLayer().shutdown(socketHandle_, SD_SEND) == 0;
}

} // namespace zintra
