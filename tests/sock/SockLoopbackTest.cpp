#include "sock/SockStream.h"
#include "tests/support/LoopbackClient.h"
#include "tests/support/SockTestSupport.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace zintra {

namespace {

using Clock = std::chrono::steady_clock;

// A blocking component holding the server end of a loopback connection.
struct Connected {
    explicit Connected(std::int32_t timeout = -1) {
        sock.SetBlocking(true);
        sock.SetBlockingTimeout(timeout);
        sock.Attach(pair.server.Release());
        log.Watch(sock);
    }
    ~Connected() { sock.OnInfo = nullptr; }

    TcpPair pair = MakeTcpPair();
    TSock sock{nullptr};
    InfoLog log;
};

// Receives until the peer closes, within a deadline.
std::string ReceiveUntilClosed(TSock& sock) {
    std::string all;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (sock.SocketHandle() != INVALID_SOCKET && Clock::now() < deadline) {
        all += sock.Receive(-1);
    }
    return all;
}

} // namespace

TEST(SockLoopback, BlockingTransferCarriesEveryByteValueBothWays) {
    Connected c;
    const std::string data = AllByteValues(256 * 40);
    auto peer = std::async(std::launch::async, [&] {
        WriteAll(c.pair.client.Get(), data);
        ::shutdown(c.pair.client.Get(), SHUT_WR);
        return ReadUntilClosed(c.pair.client.Get());
    });
    EXPECT_EQ(ReceiveUntilClosed(c.sock), data);
    // The peer's close was seen by Receive, which closed the component.
    EXPECT_FALSE(c.sock.Connected());
    EXPECT_THROW(c.sock.Send(data), ESockException);
    c.sock.OnInfo = nullptr;
}

TEST(SockLoopback, PeerCloseIsReportedAndEndsTheComponentsSocket) {
    Connected c;
    int disconnects = 0;
    c.sock.OnDisconnect = [&](QObject* sender) {
        EXPECT_EQ(sender, &c.sock);
        ++disconnects;
    };
    WriteAll(c.pair.client.Get(), "last words");
    c.pair.client.Reset();
    EXPECT_EQ(ReceiveUntilClosed(c.sock), "last words");
    EXPECT_EQ(disconnects, 1);
    const std::vector<std::string> texts = c.log.Texts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(texts.end() - 3, texts.end()),
              (std::vector<std::string>{"Blocking Incoming Data", "Socket Disconnected On Receive",
                                        "Socket Closed"}));
    try {
        c.sock.Receive(-1);
        ADD_FAILURE();
    } catch (const ESockException& failure) {
        EXPECT_STREQ(failure.what(), "Receive - Socket Not Connected");
    }
}

TEST(SockLoopback, TimeoutZeroPollsAndAPositiveTimeoutWaitsThatLong) {
    Connected zero(0);
    EXPECT_EQ(zero.sock.Receive(-1), "");
    EXPECT_TRUE(zero.log.Texts().empty());
    WriteAll(zero.pair.client.Get(), "ready");
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    std::string got;
    while (got.empty() && Clock::now() < deadline) {
        got = zero.sock.Receive(-1);
    }
    EXPECT_EQ(got, "ready");

    Connected one(1);
    const auto start = Clock::now();
    EXPECT_EQ(one.sock.Receive(-1), "");
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(900));
}

TEST(SockLoopback, TimeoutMinusOneWaitsUntilDataArrives) {
    Connected c(-1);
    auto received = std::async(std::launch::async, [&] { return c.sock.Receive(-1); });
    WriteAll(c.pair.client.Get(), "late");
    ASSERT_EQ(received.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(received.get(), "late");
}

TEST(SockLoopback, HundredMegabyteBlockingSendArrivesWhole) {
    Connected c;
    const std::string data = AllByteValues(100'000'000 + 7);
    auto peer =
        std::async(std::launch::async, [&] { return ReadUntilClosed(c.pair.client.Get()); });
    EXPECT_TRUE(c.sock.Send(data));
    EXPECT_TRUE(c.sock.OutBuffer().Empty());
    c.sock.Close();
    EXPECT_TRUE(peer.get() == data);
}

TEST(SockLoopback, ComponentToComponentOverTheStreamAdapter) {
    TcpPair pair = MakeTcpPair();
    TSock sender(nullptr), receiver(nullptr);
    for (TSock* sock : {&sender, &receiver}) {
        sock->SetBlocking(true);
        sock->SetBlockingTimeout(-1);
    }
    sender.Attach(pair.client.Release());
    receiver.Attach(pair.server.Release());
    const std::string data = AllByteValues(3'000'001);
    auto sending = std::async(std::launch::async, [&] {
        sender.Stream().WriteBuffer(data.data(), std::int32_t(data.size()));
        sender.Close();
    });
    std::string got(data.size(), '\0');
    receiver.Stream().ReadBuffer(got.data(), 1000);
    receiver.Stream().ReadBuffer(got.data() + 1000, std::int32_t(data.size() - 1000));
    sending.get();
    EXPECT_TRUE(got == data);
    char extra;
    EXPECT_EQ(receiver.Stream().Read(&extra, 1), 0);
    EXPECT_EQ(receiver.SocketHandle(), INVALID_SOCKET);
}

TEST(SockLoopback, PeerResetMidTransferFailsReceiveAndSendWithTheirTexts) {
    Connected receiving;
    WriteAll(receiving.pair.client.Get(), "partial");
    EXPECT_EQ(receiving.sock.Receive(-1), "partial");
    ResetAndClose(receiving.pair.client);
    try {
        receiving.sock.Receive(-1);
        ADD_FAILURE();
    } catch (const ESockException& failure) {
        EXPECT_STREQ(failure.what(), "Receive - Socket Error WSAECONNRESET");
    }
    EXPECT_EQ(receiving.log.Texts().back(), "Socket Error On Receive");

    Connected sending;
    ResetAndClose(sending.pair.client);
    EXPECT_THROW(
        {
            for (int i = 0; i < 100; ++i) {
                sending.sock.Send(std::string(1 << 16, 's'));
            }
        },
        ESockException);
    EXPECT_EQ(sending.log.Texts().back(), "Socket Error On Send");
    EXPECT_FALSE(sending.sock.OutBuffer().Empty());
}

// A non-blocking send never waits: what the socket cannot take waits in OutBuffer and goes
// out, in order, with later sends.
TEST(SockLoopback, NonBlockingSendQueuesWhatTheSocketCannotTake) {
    TcpPair pair = MakeTcpPair();
    TSock sock(nullptr);
    sock.Attach(pair.server.Release());
    const std::string data = AllByteValues(32 << 20);
    EXPECT_TRUE(sock.Send(data));
    EXPECT_FALSE(sock.OutBuffer().Empty());
    auto peer = std::async(std::launch::async, [&] { return ReadUntilClosed(pair.client.Get()); });
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (!sock.OutBuffer().Empty() && Clock::now() < deadline) {
        FdSet writable;
        writable.Add(sock.SocketHandle());
        const TimeVal wait{1, 0};
        WinSockLayer().select(0, nullptr, &writable, nullptr, &wait);
        sock.Send("");
    }
    EXPECT_TRUE(sock.OutBuffer().Empty());
    sock.Close();
    EXPECT_TRUE(peer.get() == data);
}

// A moved string is queued without a copy, yet the report before its send still finds it in
// OutBuffer, and what that report's handler sends goes out after it.
TEST(SockLoopback, AMovedStringIsQueuedBeforeItsReportAndGoesOutFirst) {
    TcpPair pair = MakeTcpPair();
    TSock sock(nullptr);
    sock.Attach(pair.server.Release());
    std::size_t queuedWhenReported = 0;
    sock.OnInfo = [&](QObject*, TSocketInfo kind, const std::string&) {
        if (kind == siSend && queuedWhenReported == 0) {
            queuedWhenReported = sock.OutBuffer().Size();
            sock.Send(" and after");
        }
    };
    std::string first = "first";
    EXPECT_TRUE(sock.Send(std::move(first)));
    sock.OnInfo = nullptr;
    sock.Close();
    EXPECT_EQ(queuedWhenReported, 5u);
    EXPECT_EQ(ReadUntilClosed(pair.client.Get()), "first and after");
}

TEST(SockLoopback, DatagramsGoToTheHostAndPortNamedAndReportTheirSender) {
    std::uint16_t ownPort = 0, peerPort = 0;
    TSock sock(nullptr);
    sock.SetSocketType(stDatagram);
    sock.SetBlockingTimeout(5);
    Fd peer = BoundUdpSocket(peerPort);
    sock.SetPortName(std::to_string(peerPort));
    sock.Attach(BoundUdpSocket(ownPort).Release());

    EXPECT_TRUE(sock.SendDatagram(std::string("one\0two", 7), "127.0.0.1"));
    EXPECT_TRUE(sock.Send("three"));
    char buffer[64];
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    ASSERT_EQ(::recvfrom(peer.Get(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                         &fromLength),
              7);
    EXPECT_EQ(std::string(buffer, 7), std::string("one\0two", 7));
    EXPECT_EQ(ntohs(from.sin_port), ownPort);
    ASSERT_EQ(::recv(peer.Get(), buffer, sizeof buffer, 0), 5);

    ::sendto(peer.Get(), "back", 4, 0, reinterpret_cast<sockaddr*>(&from), fromLength);
    std::string address;
    EXPECT_EQ(sock.ReceiveDatagram(address), "back");
    EXPECT_EQ(address, "127.0.0.1");
    EXPECT_EQ(sock.PeerAddressText(), "127.0.0.1");
    EXPECT_EQ(ntohs(sock.PeerAddr().sin_port), peerPort);
    ::sendto(peer.Get(), "again", 5, 0, reinterpret_cast<sockaddr*>(&from), fromLength);
    EXPECT_EQ(sock.Receive(-1), "again");
    EXPECT_TRUE(sock.InBuffer().Empty());
}

// As on WinSock, a datagram larger than the receive area fails whole instead of coming cut short.
TEST(SockLoopback, AnOversizedDatagramIsNotHandedOutCutShort) {
    std::uint16_t ownPort = 0, peerPort = 0;
    TSock sock(nullptr);
    sock.SetSocketType(stDatagram);
    sock.SetBlockingTimeout(5);
    sock.Attach(BoundUdpSocket(ownPort).Release());
    const Fd peer = BoundUdpSocket(peerPort);
    const sockaddr_in to = LoopbackAddress(ownPort);
    const std::string big(TSock::RecvAreaSize + 1, 'b');
    for (const std::string& datagram : {big, std::string("small")}) {
        ::sendto(peer.Get(), datagram.data(), datagram.size(), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    std::string address;
    EXPECT_EQ(sock.ReceiveDatagram(address), "");
    EXPECT_EQ(sock.ReceiveDatagram(address), "small");
}

} // namespace zintra
