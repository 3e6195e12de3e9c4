#include "sock/SockApplication.h"
#include "tests/support/SockTestSupport.h"

#include <QPointer>
#include <atomic>
#include <cerrno>
#include <future>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

namespace zintra {

// A handler that deletes its sender ends the component's part: nothing of it is touched after,
// whichever event or report the handler answers.
TEST(SockHandlerDestroysSender, InEveryNonBlockingEvent) {
    for (const std::string event :
         {"OnDisconnect", "OnWrite", "OnRead", "Non-Blocking Incoming Data",
          "Non-Blocking Outgoing Data", "Socket Closed"}) {
        TcpPair pair = MakeTcpPair();
        QPointer<TSock> sock = new TSock(nullptr);
        const auto destroy = [sock](QObject*) { delete sock.data(); };
        sock->OnDisconnect = event == "OnDisconnect" ? destroy : TNotifyEvent();
        sock->OnWrite = event == "OnWrite" ? destroy : TNotifyEvent();
        sock->OnRead = [&](QObject* sender, std::int32_t) {
            if (event == "OnRead") {
                destroy(sender);
            }
        };
        sock->OnInfo = [&](QObject* sender, TSocketInfo, const std::string& text) {
            if (text == event) {
                destroy(sender);
            }
        };
        sock->Attach(pair.server.Release());
        WriteAll(pair.client.Get(), "x");
        pair.client.Reset();
        EXPECT_TRUE(PumpUntil([&] { return sock.isNull(); })) << event;
        delete sock.data();
    }
}

TEST(SockHandlerDestroysSender, InABlockingReceive) {
    TcpPair pair = MakeTcpPair();
    auto* sock = new TSock(nullptr);
    sock->SetBlocking(true);
    sock->SetBlockingTimeout(-1);
    sock->Attach(pair.server.Release());
    bool destroyed = false;
    sock->OnDisconnect = [&](QObject* sender) {
        destroyed = true;
        delete sender;
    };
    pair.client.Reset();
    EXPECT_EQ(sock->Receive(-1), "");
    EXPECT_TRUE(destroyed);
}

} // namespace zintra

namespace zintra {

namespace {

// Waits until the kernel has seen the peer's reset on fd, so that the next send meets it.
bool ResetSeen(int fd) {
    pollfd probe{fd, POLLIN, 0};
    return PumpUntil([&] { return ::poll(&probe, 1, 0) > 0 && (probe.revents & POLLERR); });
}

// A blocking read of the peer's end that gives up after a while instead of hanging the test.
std::string ReadUntilClosedOrStalled(int fd) {
    const timeval wait{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    return ReadUntilClosed(fd);
}

class ThrowingListener : public TSock {
public:
    using TSock::TSock;
    TSock* CreateAccepted(TSocket) override { throw ESockException("Accept - Refused Here"); }
};

} // namespace

// A send that meets a reset is the connection's failure, with or without an info handler: the
// send consumed the reset, so the peer's close that follows carries no error of its own.
TEST(SockPeerFault, ASendFailureEndsTheConnectionWithOrWithoutReports) {
    for (const bool reports : {false, true}) {
        TcpPair pair = MakeTcpPair();
        TSock sock(nullptr);
        InfoLog info;
        if (reports) {
            info.Watch(sock);
        }
        int disconnects = 0;
        sock.OnDisconnect = [&](QObject*) { ++disconnects; };
        sock.Attach(pair.server.Release());
        ResetAndClose(pair.client);
        ASSERT_TRUE(ResetSeen(sock.SocketHandle()));
        sock.Send("into a reset connection");
        EXPECT_TRUE(PumpUntil([&] { return sock.SocketHandle() == INVALID_SOCKET; })) << reports;
        EXPECT_EQ(disconnects, 1);
        if (reports) {
            EXPECT_THAT(info.Texts(), testing::Contains("Error #10054 (WSAECONNRESET)"));
            EXPECT_EQ(info.Texts().back(), "Socket Closed");
        }
    }
}

// Every report that may reach a handler destroying the component is the component's last act.
TEST(SockHandlerDestroysSender, InEveryReportThatPrecedesMoreWork) {
    TSock server(nullptr);
    server.SetPortName("0");
    server.SetListen(true);
    const std::uint16_t listening = ListeningPort(server);
    const std::pair<std::string, std::function<void(TSock&)>> cases[] = {
        {"Lookup Of Host 127.0.0.1",
         [&](TSock& s) {
             s.SetHostName("127.0.0.1");
             s.SetPortName(std::to_string(listening));
             s.Open();
         }},
        {"Blocking Socket Connected",
         [&](TSock& s) {
             s.SetBlocking(true);
             s.SetHostName("127.0.0.1");
             s.SetPortName(std::to_string(listening));
             s.Open();
         }},
        {"Lookup Of Port 0",
         [](TSock& s) {
             s.SetPortName("0");
             s.SetListen(true);
         }},
        {"Socket Closed",
         [](TSock& s) {
             s.SetPortName("0");
             s.SetListen(true);
             s.SetListen(false);
         }},
        {"Setting HostName While Connected Has No Effect",
         [](TSock& s) {
             TcpPair pair = MakeTcpPair();
             s.Attach(pair.server.Release());
             s.SetHostName("elsewhere");
         }},
        {"Lookup Of Host 127.0.0.2",
         [](TSock& s) {
             s.SetSocketType(stDatagram);
             s.SetHostName("127.0.0.1");
             s.SetPortName("9");
             s.Open();
             s.SendDatagram("x", "127.0.0.2");
         }},
        {"Socket Error On Send",
         [](TSock& s) {
             TcpPair pair = MakeTcpPair();
             s.SetBlocking(true);
             s.Attach(pair.server.Release());
             ResetAndClose(pair.client);
             ASSERT_TRUE(ResetSeen(s.SocketHandle()));
             EXPECT_EQ(FailureOf([&] { s.Send(AllByteValues(1 << 20)); }), "Send - Socket Error");
         }},
    };
    for (const auto& [text, action] : cases) {
        QPointer<TSock> sock = new TSock(nullptr);
        sock->OnInfo = [&sock, &text](QObject*, TSocketInfo, const std::string& said) {
            if (said == text) {
                delete sock.data();
            }
        };
        action(*sock);
        EXPECT_TRUE(sock.isNull()) << text;
        delete sock.data();
    }
}

// A shutdown waiting for OutBuffer to drain is kept when the component turns blocking: what
// was queued goes out, then the end of the stream.
TEST(SockPeerFault, APendingShutdownSurvivesASwitchToBlocking) {
    TcpPair pair = MakeTcpPair();
    TSock sock(nullptr);
    sock.Attach(pair.server.Release());
    const std::string data = AllByteValues(32 << 20);
    sock.Send(data);
    ASSERT_FALSE(sock.OutBuffer().Empty());
    sock.ShutdownSend();
    std::string arrived;
    std::thread reader([&] { arrived = ReadUntilClosedOrStalled(pair.client.Get()); });
    sock.SetBlocking(true);
    reader.join();
    EXPECT_EQ(arrived.size(), data.size());
    EXPECT_TRUE(arrived == data);
}

// A component moved to another thread and closed there leaves its socket's number free: a new
// socket that takes the number at once hears its own notifications, nothing of the old one.
TEST(SockPeerFault, ASocketClosedOnAnotherThreadLeavesItsNumberToTheNext) {
    TcpPair first = MakeTcpPair();
    auto* moved = new TSock(nullptr);
    moved->Attach(first.server.Release());
    const TSocket number = moved->SocketHandle();
    // Destroyed on the worker; the promise tells when, where the race detector sees it, and all
    // the worker touches is made before the worker starts.
    std::promise<void> destroyed;
    QObject::connect(moved, &QObject::destroyed, [&destroyed] { destroyed.set_value(); });
    RunningThread worker;
    moved->moveToThread(&worker);
    moved->deleteLater();
    destroyed.get_future().wait();
    TcpPair second = MakeTcpPair();
    ASSERT_EQ(::dup2(second.server.Get(), number), number);
    second.server.Reset();
    TSock next(nullptr);
    std::int32_t read = 0;
    next.OnRead = [&](QObject*, std::int32_t count) { read = count; };
    next.Attach(number);
    WriteAll(second.client.Get(), "fresh");
    EXPECT_TRUE(PumpUntil([&] { return read == 5; }));
    EXPECT_EQ(next.Receive(-1), "fresh");
}

// A listener whose CreateAccepted fails lets the accepted socket go with the failure.
TEST(SockPeerFault, AFailingCreateAcceptedClosesTheAcceptedSocket) {
    std::vector<std::string> shown;
    SetNotificationFailureView([&](const std::exception& e) { shown.push_back(e.what()); });
    ThrowingListener listener(nullptr);
    listener.SetPortName("0");
    listener.SetAutoAccept(true);
    listener.OnAutoAccept = [](QObject*, TSock*) {};
    listener.SetListen(true);
    Fd client = ConnectTo(ListeningPort(listener));
    const bool seen = PumpUntil([&] { return !shown.empty(); });
    SetNotificationFailureView(nullptr);
    ASSERT_TRUE(seen);
    EXPECT_EQ(shown.front(), "Accept - Refused Here");
    EXPECT_EQ(ReadUntilClosedOrStalled(client.Get()), "");
    EXPECT_NE(errno, EAGAIN);
}

} // namespace zintra
