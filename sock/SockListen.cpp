#include "sock/ErrorName.h"
#include "sock/Sock.h"
#include "sock/SockThread.h"

#include <algorithm>

void TSock::SetListen(bool value) {
    if (ComponentState().Designing) {
        listen = value;
        if (value && socketType == stDatagram)
            SetSocketType(stStream);
        else
            UpdateGlyph();
        return;
    }
    if (ComponentState().Reading) {
        listen = value;
        return;
    }
    const bool old = listen;
    if (socketHandle != INVALID_SOCKET && !old) {
        listen = false;
        throw ESockException("Listen - Socket Already In Use");
    }
    if (socketType == stDatagram && value) {
        listen = false;
        throw ESockException("Listen - Cannot Listen On A Datagram Socket");
    }
    listen = value;
    if (!value) {
        Close();
        DoInfo(siListen, "Listening Stopped");
    } else if (old) {
        DoInfo(siListen, "Listening Already Running");
    } else {
        StartListening();
    }
}

// A start that fails closes the socket it made and leaves the component idle, so that a
// later start can succeed once the port is free.
void TSock::StartListening() {
    WinSock& layer = WinSockLayer();
    listen = false;
    const TSocket s = layer.socket(WsAfInet, WsSockStream, 0);
    if (s == INVALID_SOCKET)
        throw ESockException("Listen - Error Binding Socket");
    socketHandle = s;
    SockAddrIn address;
    address.sin_family = WsAfInet;
    address.sin_addr = NetLong(WsInaddrAny);
    try {
        address.sin_port = LookupPort(portName);
    } catch (...) {
        CloseQuietly();
        throw;
    }
    // Listen is true while the mode is chosen, so that FD_ACCEPT is asked for.
    listen = true;
    SetBlocking(blocking);
    listen = false;
    if (layer.bind(s, address, sizeof address) != 0) {
        CloseQuietly();
        throw ESockException("Listen - Error Binding Socket");
    }
    if (layer.listen(s, 5) != 0) {
        CloseQuietly();
        throw ESockException("Listen - Error Starting Listen");
    }
    listen = true;
    DoInfo(siListen, "Listening Started");
}

void TSock::CloseQuietly() {
    ReleaseSocket();
    connected = false;
    listen = false;
}

TSock* TSock::CreateAccepted(TSocket Handle) {
    auto* sock = new TSock(this);
    sock->SetBlocking(blocking);
    sock->Attach(Handle);
    sock->SetBlockingTimeout(blockingTimeout);
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
    const TSocket s = layer.accept(socketHandle, &address, &length);
    if (s == INVALID_SOCKET) {
        const int code = layer.WSAGetLastError();
        DoInfo(siError, "Error #" + std::to_string(code) + " (" + ErrorName(code) + ")");
        return;
    }
    peerAddr = address;
    TSock* newSock = CreateAccepted(s);
    newSock->SetPortName(portName);
    newSock->SetLocalPortName(localPortName);
    newSock->SetHostName(layer.inet_ntoa(address.sin_addr));
    if (blocking)
        ServeOnAcceptThread(newSock);
    else
        OnAutoAccept(this, newSock);
}

void TSock::ServeOnAcceptThread(TSock* newSock) {
    auto thread = std::make_unique<TSockThread>();
    TSockThread* started = thread.get();
    started->OnTerminate = [this, started] {
        std::erase_if(acceptThreads, [started](const auto& t) { return t.get() == started; });
    };
    acceptThreads.push_back(std::move(thread));
    started->Start(this, newSock);
}

// The components served on accept threads are destroyed only once no thread uses them.
void TSock::StopAcceptThreads() {
    for (const auto& thread : acceptThreads)
        thread->AbortConnection();
    acceptThreads.clear();
}
