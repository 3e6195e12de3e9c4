#include "tests/support/LoopbackClient.h"
#include "tests/support/SockTestSupport.h"

#include <gtest/gtest.h>

using testing::_;
using testing::Return;

namespace zintra {

namespace {

bool CanConnect(std::uint16_t port) {
    const Fd client(Connect(port));
    return client.Get() >= 0;
}

} // namespace

TEST(SockListen, StartsRepeatsAndStopsWithItsReports) {
    TSock sock(nullptr);
    InfoLog log;
    log.Watch(sock);
    sock.SetPortName("0");
    sock.SetListen(true);
    EXPECT_TRUE(sock.Listen());
    EXPECT_FALSE(sock.Connected());
    EXPECT_TRUE(CanConnect(ListeningPort(sock)));
    sock.SetListen(true);
    sock.SetListen(false);
    EXPECT_EQ(sock.SocketHandle(), INVALID_SOCKET);
    sock.SetListen(false);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"Lookup Of Port 0", "Listening Started",
                                                     "Listening Already Running", "Socket Closed",
                                                     "Listening Stopped", "Socket Closed",
                                                     "Listening Stopped"}));
    sock.OnInfo = nullptr;
}

// A start that fails leaves the component idle, so a later start succeeds once the port is free.
TEST(SockListen, PortInUseFailsAndLeavesTheComponentReadyToTryAgain) {
    TSock holder(nullptr);
    holder.SetPortName("0");
    holder.SetListen(true);
    const std::string port = std::to_string(ListeningPort(holder));

    TSock sock(nullptr);
    sock.SetPortName(port);
    EXPECT_EQ(FailureOf([&] { sock.SetListen(true); }), "Listen - Error Binding Socket");
    EXPECT_FALSE(sock.Listen());
    EXPECT_EQ(sock.SocketHandle(), INVALID_SOCKET);

    holder.SetListen(false);
    sock.SetListen(true);
    EXPECT_TRUE(sock.Listen());
    EXPECT_EQ(std::to_string(ListeningPort(sock)), port);
}

TEST(SockListen, RefusesDatagramsConnectedComponentsAndBadPorts) {
    TSock datagram(nullptr);
    datagram.SetSocketType(stDatagram);
    EXPECT_EQ(FailureOf([&] { datagram.SetListen(true); }),
              "Listen - Cannot Listen On A Datagram Socket");
    EXPECT_FALSE(datagram.Listen());

    TcpPair pair = MakeTcpPair();
    TSock connected(nullptr);
    connected.Attach(pair.server.Release());
    for (bool value : {true, false}) {
        EXPECT_EQ(FailureOf([&] { connected.SetListen(value); }), "Listen - Socket Already In Use");
    }
    EXPECT_TRUE(connected.Connected());

    TSock badPort(nullptr);
    badPort.SetPortName("8O");
    EXPECT_EQ(FailureOf([&] { badPort.SetListen(true); }), "'8O' is not a valid integer value");
    EXPECT_EQ(badPort.SocketHandle(), INVALID_SOCKET);
    EXPECT_FALSE(badPort.Listen());
    EXPECT_EQ(FailureOf([&] { badPort.Attach(INVALID_SOCKET); }), "Attach - Socket Not Connected");
}

// A listener asks for waiting connections before it binds, whatever Blocking says, and reads as
// listening only once its socket listens.
TEST(SockListen, AsksForAcceptsBeforeBindingAndListensOnlyOnceTheSocketDoes) {
    testing::StrictMock<MockWinSock> layer;
    ScopedLayer scoped(layer);
    TSock sock(nullptr);
    sock.SetBlocking(true);
    sock.SetPortName("81");
    sock.SetListenBacklog(64);
    testing::InSequence order;
    EXPECT_CALL(layer, socket(WsAfInet, WsSockStream, 0)).WillOnce(Return(5));
    EXPECT_CALL(layer, WSAAsyncSelect(5, &sock, WM_SOCK, FD_ACCEPT)).WillOnce(Return(0));
    EXPECT_CALL(layer, bind(5, _, _)).WillOnce(Return(0));
    EXPECT_CALL(layer, listen(5, 64)).WillOnce([&sock](TSocket, int) {
        EXPECT_FALSE(sock.Listen());
        return 0;
    });
    sock.SetListen(true);
    EXPECT_TRUE(sock.Listen());

    EXPECT_CALL(layer, WSAAsyncSelect(5, &sock, WM_SOCK, FD_ACCEPT)).WillOnce(Return(0));
    sock.SetBlocking(false);
    EXPECT_CALL(layer, closesocket(5)).WillOnce(Return(0));
}

} // namespace zintra
