#include "sock/ErrorName.h"
#include "sock/Sock.h"
#include "sock/SockApplication.h"
#include "sock/SockMessage.h"

void TSock::SetBlocking(bool value) {
    blocking = value;
    if ((ComponentState().Reading && !ComponentState().Designing) || socketHandle == INVALID_SOCKET)
        return;
    if (!parentControl)
        parentControl = ApplicationFirstForm();
    WinSock& layer = WinSockLayer();
    if (blocking && !listen) {
        layer.WSAAsyncSelect(socketHandle, this, WM_SOCK, 0);
        std::uint32_t nonBlocking = 0;
        layer.ioctlsocket(socketHandle, WsFionbio, &nonBlocking);
        return;
    }
    const long mask = listen                     ? FD_ACCEPT
                      : socketType == stDatagram ? FD_READ
                                                 : FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;
    layer.WSAAsyncSelect(socketHandle, this, WM_SOCK, mask);
}

// Notifications come from the event loop: a failure in their handling is shown, and the
// program goes on.
bool TSock::event(QEvent* e) {
    auto* message = dynamic_cast<TSockMessage*>(e);
    if (!message || message->type() != QEvent::Type(WM_SOCK))
        return TComponent::event(e);
    try {
        WMSock(*message);
    } catch (const std::exception& failure) {
        ShowNotificationFailure(failure);
    }
    return true;
}

// Handled against the component's state when the notification arrives, which may be after the
// socket it concerns was closed.
void TSock::WMSock(TSockMessage& Message) {
    const int event = int(Message.LParam & 0xFFFF);
    const int error = int(Message.LParam >> 16);
    if (error > 10000) {
        DoInfo(siError, "Error #" + std::to_string(error) + " (" + ErrorName(error) + ")");
        Message.Result = 0;
        return;
    }
    switch (event) {
    case FD_READ:
        ReadNotified();
        break;
    case FD_WRITE:
        if (!outBuffer.Empty())
            Send({});
        DoInfo(siSend, "Non-Blocking Outgoing Data");
        if (OnWrite)
            OnWrite(this);
        break;
    case FD_ACCEPT:
        if (autoAccept && OnAutoAccept)
            AcceptConnection();
        else if (OnAccept)
            OnAccept(this);
        break;
    case FD_CONNECT:
        connected = true;
        DoInfo(siConnect, "Non-Blocking Socket Connected");
        if (OnConnect)
            OnConnect(this);
        break;
    case FD_CLOSE:
        if (OnDisconnect)
            OnDisconnect(this);
        Close();
        break;
    default:
        break;
    }
    Message.Result = 0;
}

void TSock::ReadNotified() {
    if (socketType == stStream) {
        const int received = WinSockLayer().recv(socketHandle, recvArea.data(), RecvAreaSize, 0);
        if (received > 0)
            inBuffer.Append(std::string_view(recvArea.data(), std::size_t(received)));
        DoInfo(siReceive, "Non-Blocking Incoming Data");
    }
    if (OnRead)
        OnRead(this, std::int32_t(inBuffer.Size()));
}
