#include "sock/SockStream.h"
#include "tests/support/RunningEcho.h"
#include "tests/support/SockTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace zintra {

namespace {

bool Reported(const InfoLog& log, const std::string& text) {
    const std::vector<std::string> texts = log.Texts();
    return std::ranges::find(texts, text) != texts.end();
}

// A plain listener on 127.0.0.1 and its port.
Fd LoopbackListener(std::uint16_t& port) {
    Fd listener(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address = LoopbackAddress(0);
    ::bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener.Get(), 1);
    port = LocalPort(listener.Get());
    return listener;
}

} // namespace

// Everything queued before the half-close still goes out, and the echo of it comes back whole
// before sockecho closes in turn.
TEST(SockConnect, NonBlockingConnectRaisesOnConnectThenEchoesUntilTheHalfClose) {
    RunningEcho echo({});
    InfoLog log;
    TSock sock(nullptr);
    log.Watch(sock);
    bool connected = false, disconnected = false;
    std::string echoed;
    sock.OnConnect = [&](QObject*) { connected = true; };
    sock.OnRead = [&](QObject*, std::int32_t) { echoed += sock.Receive(-1); };
    sock.OnDisconnect = [&](QObject*) { disconnected = true; };
    sock.SetHostName("127.0.0.1");
    sock.SetPortName(std::to_string(echo.port));
    sock.Open();
    EXPECT_FALSE(sock.Connected());
    ASSERT_TRUE(PumpUntil([&] { return connected; }));
    EXPECT_TRUE(sock.Connected());
    EXPECT_TRUE(Reported(log, "Non-Blocking Socket Connected"));

    const std::string data = AllByteValues(3'000'000);
    sock.Send(data);
    sock.ShutdownSend();
    ASSERT_TRUE(PumpUntil([&] { return disconnected; }, 60000));
    EXPECT_TRUE(echoed == data) << echoed.size() << " of " << data.size() << " bytes came back";
    EXPECT_EQ(sock.SocketHandle(), INVALID_SOCKET);
}

TEST(SockConnect, ARefusedConnectLeavesTheComponentIdle) {
    std::uint16_t port = 0;
    Fd closed = BoundUdpSocket(port); // a TCP connect to this port finds no listener
    for (const bool blocking : {false, true}) {
        InfoLog log;
        TSock sock(nullptr);
        log.Watch(sock);
        bool connected = false;
        sock.OnConnect = [&](QObject*) { connected = true; };
        sock.SetBlocking(blocking);
        sock.SetHostName("127.0.0.1");
        sock.SetPortName(std::to_string(port));
        if (blocking) {
            EXPECT_EQ(FailureOf([&] { sock.Open(); }),
                      "Open - Error Connecting Socket WSAECONNREFUSED");
        } else {
            sock.Open();
            EXPECT_TRUE(PumpUntil([&] { return Reported(log, "Error #10061 (WSAECONNREFUSED)"); }));
        }
        PumpFor(50);
        EXPECT_FALSE(sock.Connected());
        EXPECT_FALSE(connected);
        EXPECT_EQ(sock.SocketHandle(), INVALID_SOCKET);
    }
}

TEST(SockConnect, BlockingConnectServesTheStreamAndHalfClosesIt) {
    std::uint16_t port = 0;
    Fd listener = LoopbackListener(port);
    TSock sock(nullptr);
    sock.SetBlocking(true);
    sock.SetBlockingTimeout(10);
    sock.SetHostName("localhost");
    sock.SetPortName(std::to_string(port));
    sock.Open();
    ASSERT_TRUE(sock.Connected());
    Fd peer(::accept(listener.Get(), nullptr, nullptr));

    sock.Stream().Write("question", 8);
    sock.ShutdownSend();
    EXPECT_EQ(ReadUntilClosed(peer.Get()), "question");
    WriteAll(peer.Get(), std::string("an\0swer", 7));
    peer.Reset();
    char answer[16] = {};
    EXPECT_EQ(sock.Stream().Read(answer, sizeof answer), 7);
    EXPECT_EQ(std::string(answer, 7), std::string("an\0swer", 7));
}

// The port is looked up once, when the socket opens: sending reports only the host.
TEST(SockConnect, DatagramComponentsExchangeWithEachOtherAndAPlainSocket) {
    std::uint16_t plainPort = 0, secondPort = 0;
    Fd plain = BoundUdpSocket(plainPort);
    BoundUdpSocket(secondPort); // closed again: a port the second component can bind
    InfoLog log;
    TSock first(nullptr), second(nullptr), toPlain(nullptr);
    std::string firstGot;
    first.OnRead = [&](QObject*, std::int32_t) {
        std::string from;
        firstGot += first.ReceiveDatagram(from) + " from " + from + ";";
    };
    for (TSock* sock : {&first, &second, &toPlain}) {
        sock->SetSocketType(stDatagram);
        sock->SetHostName("127.0.0.1");
    }
    first.SetPortName(std::to_string(secondPort));
    first.Open();
    second.SetBlocking(true);
    second.SetBlockingTimeout(10);
    second.SetLocalPortName(std::to_string(secondPort));
    second.SetPortName(std::to_string(LocalPort(first.SocketHandle())));
    second.Open();
    toPlain.SetPortName(std::to_string(plainPort));
    toPlain.SetBlockingTimeout(10);
    toPlain.Open();

    log.Watch(second);
    EXPECT_TRUE(second.Send("ping"));
    EXPECT_TRUE(second.SendDatagram("pong", "localhost"));
    EXPECT_EQ(log.Texts(),
              (std::vector<std::string>{"Lookup Of Host 127.0.0.1", "Lookup Of Host localhost"}));
    EXPECT_TRUE(PumpUntil([&] { return firstGot == "ping from 127.0.0.1;pong from 127.0.0.1;"; }));
    EXPECT_TRUE(first.Send("back"));
    EXPECT_EQ(second.Receive(-1), "back");

    EXPECT_TRUE(toPlain.Send("hello"));
    char got[8] = {};
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    EXPECT_EQ(::recvfrom(plain.Get(), got, sizeof got, 0, reinterpret_cast<sockaddr*>(&from),
                         &fromLength),
              5);
    ::sendto(plain.Get(), "plain", 5, 0, reinterpret_cast<sockaddr*>(&from), fromLength);
    std::string sender;
    EXPECT_EQ(toPlain.ReceiveDatagram(sender), "plain");
    EXPECT_EQ(sender, "127.0.0.1");
}

} // namespace zintra
