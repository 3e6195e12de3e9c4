#include "sock/Sock.h"

#include "sock/SockStream.h"
#include "sock/SockThread.h"

#include <utility>

namespace zintra {

TSock::TSock(QObject* Owner) : TComponent(Owner), stream_(std::make_unique<TSockStream>(*this)) {
    if (ComponentState().Designing) {
        glyphName_ = "TCP";
        width_ = GlyphSize;
        height_ = GlyphSize;
    } else {
        visible_ = false;
    }
}

TSock::~TSock() {
    if (listen_ || connected_) {
        // A destructor cannot pass a failure on: a handler's exception during this last
        // report is dropped so that the owner can finish tearing down.
        try {
            Close();
        } catch (...) {
        }
    }
    // A connect still under way holds a socket without being Connected.
    if (socketHandle_ != INVALID_SOCKET) {
        ReleaseSocket();
    }
    StopAcceptThreads();
}

void TSock::AfterLoad() {
    if (ComponentState().Designing) {
        return;
    }
    SetBlocking(blocking_);
    if (listen_) {
        listen_ = false;
        SetListen(true);
    }
}

void TSock::SetSocketType(TSocketType value) {
    if (ComponentState().Designing) {
        if (value == stDatagram && listen_) {
            SetListen(false);
        }
        socketType_ = value;
        UpdateGlyph();
        return;
    }
    if (listen_) {
        throw ESockException("SocketType - Can't Assign Socket Type While Listening");
    }
    if (connected_) {
        throw ESockException("SocketType - Can't Assign Socket Type While Connected");
    }
    socketType_ = value;
}

// The reports here may reach a handler that destroys the component: nothing of it is touched
// after one did.
void TSock::SetHostName(const std::string& value) {
    const Lifetime::Watch alive = lifetime_.Observe();
    if (socketType_ == stStream && connected_) {
        DoInfo(siLookUp, "Setting HostName While Connected Has No Effect");
        if (!alive.Alive()) {
            return;
        }
    }
    hostName_ = value;
    // The port was looked up once, when the datagram socket was opened or attached.
    if (socketType_ == stDatagram && connected_) {
        const std::uint32_t address = LookupHost(value);
        if (alive.Alive()) {
            destAddr_.sin_addr = address;
        }
    }
}

void TSock::SetPortName(const std::string& value) {
    const Lifetime::Watch alive = lifetime_.Observe();
    if (connected_) {
        DoInfo(siLookUp, "Setting PortName While Connected Has No Effect");
    }
    if (alive.Alive()) {
        portName_ = value;
    }
}

void TSock::SetLocalPortName(const std::string& value) {
    const Lifetime::Watch alive = lifetime_.Observe();
    if (connected_) {
        DoInfo(siLookUp, "Setting LocalPortName While Connected Has No Effect");
    }
    if (alive.Alive()) {
        localPortName_ = value;
    }
}

void TSock::Attach(TSocket handle) {
    if (handle == INVALID_SOCKET) {
        throw ESockException("Attach - Socket Not Connected");
    }
    if (socketHandle_ != INVALID_SOCKET || listen_) {
        throw ESockException("Attach - Socket Already In Use");
    }
    if (socketType_ == stDatagram) {
        const std::optional<SockAddrIn> destination = DatagramDestination();
        if (!destination) {
            WinSockLayer().closesocket(handle);
            return;
        }
        destAddr_ = *destination;
    }
    socketHandle_ = handle;
    SetBlocking(blocking_);
    connected_ = true;
}

// The report comes last: its handler may destroy the component.
bool TSock::Close() {
    const bool closed = ReleaseSocket();
    connected_ = false;
    closeWhenSent_ = false;
    readPaused_ = false;
    sendError_ = 0;
    const bool wasListening = std::exchange(listen_, false);
    if (!wasListening) {
        DoInfo(siClose, "Socket Closed");
    }
    return closed;
}

bool TSock::ReleaseSocket() {
    std::lock_guard guard(handleLock_);
    const bool closed = WinSockLayer().closesocket(socketHandle_) == 0;
    socketHandle_ = INVALID_SOCKET;
    shutdownSendPending_ = false;
    return closed;
}

void TSock::AbortConnection() {
    std::lock_guard guard(handleLock_);
    if (socketHandle_ != INVALID_SOCKET) {
        WinSockLayer().shutdown(socketHandle_, SD_BOTH);
    }
}

// The report's text is made only for a handler that takes it.
void TSock::DoInfo(TSocketInfo kind, std::string_view text) {
    if (OnInfo) {
        OnInfo(this, kind, std::string(text));
    }
}

void TSock::UpdateGlyph() {
    if (socketType_ == stDatagram) {
        glyphName_ = "UDP";
    } else if (listen_) {
        glyphName_ = "LISTEN";
    } else {
        glyphName_ = "TCP";
    }
    emit RepaintRequested();
}

void TSock::SetBounds(int newLeft, int newTop, int newWidth, int newHeight) {
    left_ = newLeft;
    top_ = newTop;
    width_ = newWidth;
    height_ = newHeight;
    // In design mode the component keeps the size of its picture.
    if (ComponentState().Designing) {
        width_ = GlyphSize;
        height_ = GlyphSize;
    }
}

void TSock::CloseQuietly() {
    ReleaseSocket();
    connected_ = false;
    listen_ = false;
}

void TSock::SetReadAheadLimit(std::size_t value) {
    readAheadLimit_ = value;
    ResumeReading();
}

} // namespace zintra
