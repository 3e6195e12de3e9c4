#pragma once

#include "base/Lifetime.h"
#include "sock/ByteQueue.h"
#include "sock/Component.h"
#include "sock/SockExceptions.h"
#include "sock/SockTypes.h"
#include "winsock/WinSock.h"

#include <QPointer>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace zintra {

class TSockMessage;
class TSockStream;
class TSockThread;

// One WinSock socket as a form component: stream or datagram, blocking or not, reporting its
// steps through OnInfo and its failures as ESockException. In design mode it is a 28 x 28
// picture of its kind (drawn by the design-time pictures, apart so that a console program needs
// no Qt Gui); at run time it is hidden and of size zero.
class TSock : public TComponent {
    Q_OBJECT
public:
    static constexpr int RecvAreaSize = 32768;

    // --- Lifetime, properties, Attach and Close: Sock.cpp (the stored properties' table:
    // SockStoredProperties.cpp; SetBlocking: SockNotification.cpp; SetListen: SockListen.cpp) ---
    explicit TSock(QObject* Owner);
    // Closes the socket; a listener then shuts down the connections its accept threads still
    // serve, waits for those threads, and destroys the components it accepted.
    ~TSock() override;

    void AfterLoad() override;
    void ApplyStoredProperty(const StoredProperty& property) override;

    // Published properties, in the order a form stores them.
    TSocketType SocketType() const { return socketType_; }
    void SetSocketType(TSocketType value);
    const std::string& HostName() const { return hostName_; }
    void SetHostName(const std::string& value);
    const std::string& PortName() const { return portName_; }
    void SetPortName(const std::string& value);
    const std::string& LocalPortName() const { return localPortName_; }
    void SetLocalPortName(const std::string& value);
    bool Blocking() const { return blocking_; }
    void SetBlocking(bool value);
    bool AutoAccept() const { return autoAccept_; }
    void SetAutoAccept(bool value) { autoAccept_ = value; }
    bool Listen() const { return listen_; }
    void SetListen(bool value);
    TLineBreak LineBreak() const { return lineBreak_; }
    void SetLineBreak(TLineBreak value) { lineBreak_ = value; }
    // Seconds a blocking receive waits; negative waits without limit.
    std::int32_t BlockingTimeout() const { return blockingTimeout_; }
    void SetBlockingTimeout(std::int32_t value) { blockingTimeout_ = value; }
    // Bytes InBuffer may hold before a non-blocking stream socket stops reading ahead: the rest
    // waits in the socket, so that TCP holds the peer back, until Receive makes room. 0, the
    // default, reads without bound. Connections a listener accepts take the listener's.
    std::size_t ReadAheadLimit() const { return readAheadLimit_; }
    void SetReadAheadLimit(std::size_t value);
    // The length of the queue of connections that wait to be accepted, given to listen.
    int ListenBacklog() const { return listenBacklog_; }
    void SetListenBacklog(int value) { listenBacklog_ = value; }

    // A handler may destroy its sender (delete it, not only deleteLater): once a handler
    // returns, a component that it destroyed touches nothing of itself. Only the reports that
    // the destructor itself makes must not destroy it again.
    //
    // OnDisconnect tells that the peer closed. What OutBuffer still holds then goes on being
    // sent; the socket closes, reporting "Socket Closed", once it is sent or sending fails.
    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    TNotifyInfoEvent OnInfo;
    TNotifyReadEvent OnRead;
    TNotifyEvent OnWrite;
    TNotifyEvent OnAccept;
    TNotifyAutoEvent OnAutoAccept;

    TSocket SocketHandle() const { return socketHandle_; }
    bool Connected() const { return connected_; }
    const ByteQueue& InBuffer() const { return inBuffer_; }
    const ByteQueue& OutBuffer() const { return outBuffer_; }
    const SockAddrIn& DestAddr() const { return destAddr_; }
    const SockAddrIn& PeerAddr() const { return peerAddr_; }
    TSockStream& Stream() { return *stream_; }

    // Takes over a connected socket (of the component's SocketType) into an idle component,
    // which then owns it and is Connected.
    void Attach(TSocket handle);
    // Closes the socket; true when WinSock closed one.
    bool Close();
    // Shuts the connection down in both directions, from any thread, so that blocking calls on
    // it return; the socket stays the component's until it is closed.
    void AbortConnection();
    // The form whose window the component's notifications go through: given by the Blocking
    // setter to a component that gets a socket without having one.
    QObject* ParentControl() const { return parentControl_; }
    void DoInfo(TSocketInfo kind, std::string_view text);

    static constexpr int GlyphSize = 28;

    // The name of the design-time picture of the component's kind ("TCP", "UDP" or "LISTEN"),
    // empty at run time; and the bounds a form places the component in.
    const char* GlyphName() const { return glyphName_; }
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Visible() const { return visible_; }
    void SetBounds(int newLeft, int newTop, int newWidth, int newHeight);

    // --- Connecting and the half-close: SockConnect.cpp ---
    // Opens the socket as SocketType says. A stream socket connects to HostName:PortName: a
    // blocking one returns connected, a non-blocking one reports the outcome through FD_CONNECT
    // (OnConnect, or an siError report). A datagram socket is bound to LocalPortName (any port
    // for "-1" or empty), sends to HostName:PortName and is Connected at once.
    void Open();
    // Ends the sending side of a stream connection once OutBuffer has gone out; what the peer
    // still sends arrives as before.
    void ShutdownSend();

    // --- Sending and receiving: SockTransfer.cpp ---
    bool Send(std::string_view data);
    // The same; bytes that must wait in OutBuffer are taken over rather than copied.
    bool Send(std::string&& data);
    bool Send(const char* data) { return Send(std::string_view(data)); }
    // count: bytes wanted, -1 for all there are.
    std::string Receive(std::int32_t count);
    bool SendDatagram(std::string_view data, const std::string& host);
    std::string ReceiveDatagram(std::string& address);
    std::string PeerAddressText() const;

    // --- Look-ups: SockLookup.cpp ---
    // The IPv4 address (network order) of a host name or dotted address; 0 for "".
    std::uint32_t LookupHost(const std::string& name);
    // The port (network order) of a port number or service name.
    std::uint16_t LookupPort(const std::string& name);

    // --- Listening and accepting: SockListen.cpp ---
    // The component for a connection this listener accepted: owned by the listener, connected
    // over Handle, and served as the listener's Blocking says, with the listener's handlers.
    // A listener of a class of its own overrides it to serve connections with that class.
    virtual TSock* CreateAccepted(TSocket Handle);

    // --- Notifications: SockNotification.cpp ---
    // The handler of socket notifications (WM_SOCK) on the window thread.
    void WMSock(const TSockMessage& Message);

signals:
    // The picture changed; a form that shows the component draws it again.
    void RepaintRequested();

protected:
    bool event(QEvent* e) override;

private:
    friend class TSockStream;

    // Sock.cpp
    void UpdateGlyph();
    void CloseQuietly();
    // Closes the socket and forgets it; true when WinSock closed one.
    bool ReleaseSocket();
    // SockConnect.cpp
    void Connect();
    void OpenDatagram();
    // Where datagrams go: HostName and PortName (port 0 while PortName is empty), looked up;
    // nothing when a handler of the look-up reports destroyed the component.
    std::optional<SockAddrIn> DatagramDestination();
    // True when the sending side was shut down; a deferred shutdown that fails is not raised.
    bool ShutdownSendNow();
    // SockTransfer.cpp
    char* RecvArea();
    bool ReadAheadFull() const;
    // Reading stopped at the read-ahead limit goes on once InBuffer has room again.
    void ResumeReading();
    bool ReadyToRead();
    // Waits, as BlockingTimeout says (or not at all when polling), for something to read.
    bool WaitReadable(bool poll);
    std::string ReceiveBlockingStream(int readSize);
    // owned: the caller's string behind data, which OutBuffer may take over.
    bool SendOrQueue(std::string_view data, std::string* owned);
    void SendBlocking(std::string_view data);
    // Records how a non-blocking send went: a failure ends a connection whose peer has gone.
    void SendAttempted(int sent);
    // SockListen.cpp
    void StartListening();
    void AcceptConnection();
    void ServeOnAcceptThread(TSock* newSock);
    void StopAcceptThreads();
    // The termination notice of an accept thread: releases the threads whose runs have ended.
    Q_INVOKABLE void ReleaseFinishedAcceptThreads();
    // SockNotification.cpp
    // The events WinSock is to report for the socket: listening, or as the component stands.
    long NotificationMask(bool listening) const;
    // Asks WinSock for those events (making the socket blocking when there are none).
    void SelectNotifications(bool listening);
    void ReadNotified();
    void WriteNotified();
    // The peer closed the connection, or it failed: the failure reported first, then
    // OnDisconnect, then Close once OutBuffer is sent.
    void PeerClosed(bool failed);
    // Reading held at the read-ahead limit: the socket is selected without FD_READ, so that the
    // peer's close or reset is still heard; reading again selects it fully.
    void HoldReading(bool held);

    SockAddrIn destAddr_;
    SockAddrIn peerAddr_;
    const char* glyphName_ = "";
    // Made on the first read and kept: an idle connection holds none.
    std::unique_ptr<char[]> recvArea_;
    TSocketType socketType_ = stStream;
    TLineBreak lineBreak_ = lbSmart;
    std::string hostName_;
    std::string portName_;
    std::string localPortName_ = "-1";
    TSocket socketHandle_ = INVALID_SOCKET;
    ByteQueue inBuffer_;
    ByteQueue outBuffer_;
    // Caller's bytes that a blocking Send is sending and that come before OutBuffer.
    std::string_view unsentFront_;
    // ShutdownSend waits for OutBuffer to empty.
    bool shutdownSendPending_ = false;
    bool listen_ = false;
    bool blocking_ = false;
    bool autoAccept_ = false;
    bool connected_ = false;
    std::int32_t blockingTimeout_ = 0;
    std::size_t readAheadLimit_ = 0;
    int listenBacklog_ = 5;
    // An FD_READ found InBuffer at its limit and left the bytes in the socket.
    bool readPaused_ = false;
    // The peer has closed: the socket closes once OutBuffer is sent.
    bool closeWhenSent_ = false;
    // The error of the last non-blocking send that failed for good; 0 when it did not.
    int sendError_ = 0;
    std::unique_ptr<TSockStream> stream_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    QPointer<QObject> parentControl_;
    // Guards SocketHandle where another thread may shut the connection down meanwhile.
    std::mutex handleLock_;
    std::vector<std::unique_ptr<TSockThread>> acceptThreads_;
    Lifetime lifetime_;
};

} // namespace zintra
