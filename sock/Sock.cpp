#include "sock/Sock.h"

#include "sock/SockStream.h"
#include "sock/SockThread.h"

#include <QPainter>

namespace {

QImage LoadGlyph(const char* name) {
    return QImage(QStringLiteral(":/sock/") + QLatin1String(name) + QStringLiteral(".xpm"));
}

} // namespace

TSock::TSock(QObject* Owner) : TComponent(Owner), stream(std::make_unique<TSockStream>(*this)) {
    if (ComponentState().Designing) {
        tcpGlyph = LoadGlyph("TCP");
        udpGlyph = LoadGlyph("UDP");
        listenGlyph = LoadGlyph("LISTEN");
        glyph = &tcpGlyph;
        width = glyph->width();
        height = glyph->height();
    } else {
        visible = false;
    }
}

TSock::~TSock() {
    if (listen || connected) {
        // A destructor cannot pass a failure on: a handler's exception during this last
        // report is dropped so that the owner can finish tearing down.
        try {
            Close();
        } catch (...) {
        }
    }
    StopAcceptThreads();
}

void TSock::AfterLoad() {
    if (ComponentState().Designing)
        return;
    SetBlocking(blocking);
    if (listen) {
        listen = false;
        SetListen(true);
    }
}

void TSock::SetSocketType(TSocketType value) {
    if (ComponentState().Designing) {
        if (value == stDatagram && listen)
            SetListen(false);
        socketType = value;
        UpdateGlyph();
        return;
    }
    if (listen)
        throw ESockException("SocketType - Can't Assign Socket Type While Listening");
    if (connected)
        throw ESockException("SocketType - Can't Assign Socket Type While Connected");
    socketType = value;
}

void TSock::SetHostName(const std::string& value) {
    if (socketType == stStream && connected)
        DoInfo(siLookUp, "Setting HostName While Connected Has No Effect");
    hostName = value;
    if (socketType == stDatagram && connected) {
        const std::uint32_t address = LookupHost(value);
        const std::uint16_t port = LookupPort(portName);
        destAddr.sin_family = WsAfInet;
        destAddr.sin_port = port;
        destAddr.sin_addr = address;
    }
}

void TSock::SetPortName(const std::string& value) {
    if (connected)
        DoInfo(siLookUp, "Setting PortName While Connected Has No Effect");
    portName = value;
}

void TSock::SetLocalPortName(const std::string& value) {
    if (connected)
        DoInfo(siLookUp, "Setting LocalPortName While Connected Has No Effect");
    localPortName = value;
}

void TSock::Attach(TSocket handle) {
    if (handle == INVALID_SOCKET)
        throw ESockException("Attach - Socket Not Connected");
    if (socketHandle != INVALID_SOCKET || listen)
        throw ESockException("Attach - Socket Already In Use");
    socketHandle = handle;
    SetBlocking(blocking);
    connected = true;
}

bool TSock::Close() {
    const bool closed = ReleaseSocket();
    connected = false;
    if (!listen)
        DoInfo(siClose, "Socket Closed");
    listen = false;
    return closed;
}

bool TSock::ReleaseSocket() {
    std::lock_guard guard(handleLock);
    const bool closed = WinSockLayer().closesocket(socketHandle) == 0;
    socketHandle = INVALID_SOCKET;
    return closed;
}

void TSock::AbortConnection() {
    std::lock_guard guard(handleLock);
    if (socketHandle != INVALID_SOCKET)
        WinSockLayer().shutdown(socketHandle, SD_BOTH);
}

void TSock::DoInfo(TSocketInfo kind, const std::string& text) {
    if (OnInfo)
        OnInfo(this, kind, text);
}

void TSock::UpdateGlyph() {
    if (socketType == stDatagram)
        glyph = &udpGlyph;
    else if (listen)
        glyph = &listenGlyph;
    else
        glyph = &tcpGlyph;
    emit RepaintRequested();
}

void TSock::SetBounds(int newLeft, int newTop, int newWidth, int newHeight) {
    left = newLeft;
    top = newTop;
    width = newWidth;
    height = newHeight;
    // In design mode the component keeps the size of its picture.
    if (ComponentState().Designing) {
        width = glyph->width();
        height = glyph->height();
    }
}

void TSock::Paint(QPainter& canvas) const {
    if (ComponentState().Designing)
        canvas.drawImage(0, 0, *glyph);
}
