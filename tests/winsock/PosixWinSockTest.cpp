#include "winsock/PosixWinSock.h"

#include "tests/support/WinSockTestSupport.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/socket.h>

namespace zintra {

namespace {

PosixWinSock& Layer() {
    static PosixWinSock layer;
    static WSAData data;
    static const int started = layer.WSAStartup(WinSockVersion11, data);
    EXPECT_EQ(started, 0);
    return layer;
}

} // namespace

TEST(PosixWinSock, StartsForVersionOneOneAndUpOnly) {
    PosixWinSock layer;
    WSAData data;
    EXPECT_EQ(layer.socket(WsAfInet, WsSockStream, 0), INVALID_SOCKET);
    EXPECT_EQ(layer.WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(layer.WSAStartup(0x0001, data), WSAVERNOTSUPPORTED);
    EXPECT_EQ(layer.WSAStartup(0x0101, data), 0);
    EXPECT_EQ(data.wVersion, 0x0101);
    EXPECT_EQ(layer.WSACleanup(), 0);
    EXPECT_EQ(layer.WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(layer.WSAGetLastError(), WSANOTINITIALISED);
}

TEST(PosixWinSock, MapsPosixErrorsToWinSockNumbers) {
    const std::pair<int, int> cases[] = {
        {EWOULDBLOCK, 10035},  {EAGAIN, 10035},     {ECONNRESET, 10054}, {EPIPE, 10054},
        {ECONNREFUSED, 10061}, {EADDRINUSE, 10048}, {EBADF, 10038},      {ENOTSOCK, 10038},
        {EINPROGRESS, 10036},  {EMFILE, 10024},     {ETIMEDOUT, 10060},  {EHOSTUNREACH, 10065},
        {EPERM, 10013},        {ENFILE, 10024},     {ENOMEM, 10055},     {0, 10022},
    };
    for (const auto& [posix, winsock] : cases) {
        EXPECT_EQ(WinSockErrorFromErrno(posix), winsock) << posix;
    }
}

TEST(PosixWinSock, ClosingNoSocketFailsQuietly) {
    EXPECT_EQ(Layer().closesocket(INVALID_SOCKET), SOCKET_ERROR);
    EXPECT_EQ(Layer().WSAGetLastError(), WSAENOTSOCK);
}

TEST(PosixWinSock, RefusesFamiliesAndTypesItDoesNotKnow) {
    EXPECT_EQ(Layer().socket(23, WsSockStream, 0), INVALID_SOCKET);
    EXPECT_EQ(Layer().WSAGetLastError(), WSAEAFNOSUPPORT);
    EXPECT_EQ(Layer().socket(WsAfInet, 5, 0), INVALID_SOCKET);
    EXPECT_EQ(Layer().WSAGetLastError(), 10044);
}

TEST(PosixWinSock, KeepsTheClassicAddressForms) {
    const std::pair<const char*, const char*> cases[] = {
        {"127.0.0.1", "127.0.0.1"}, {"127.1", "127.0.0.1"}, {"0x7f.1", "127.0.0.1"},
        {"10.1.2", "10.1.0.2"},     {"0.0.0.0", "0.0.0.0"}, {"1.2.3.4.5", nullptr},
        {"256.1.1.1", nullptr},     {"", nullptr},          {"host", nullptr},
        {"1.2.3.x", nullptr},
    };
    for (const auto& [text, dotted] : cases) {
        const std::uint32_t address = Layer().inet_addr(text);
        if (dotted) {
            EXPECT_EQ(Layer().inet_ntoa(address), dotted) << text;
        } else {
            EXPECT_EQ(address, WsInaddrNone) << text;
        }
    }
    EXPECT_EQ(Layer().inet_addr(std::string("1.2.3.4\0.5", 10)), WsInaddrNone);
    EXPECT_EQ(Layer().inet_ntoa(WsInaddrNone), "255.255.255.255");
}

TEST(PosixWinSock, LooksUpHostsAndServices) {
    const std::optional<HostEntry> host = Layer().gethostbyname("localhost");
    ASSERT_TRUE(host);
    EXPECT_EQ(Layer().inet_ntoa(host->h_addr_list.at(0)), "127.0.0.1");
    EXPECT_FALSE(Layer().gethostbyname(std::string("localhost\0.evil", 15)));
    EXPECT_EQ(Layer().WSAGetLastError(), WSAHOST_NOT_FOUND);

    const std::optional<ServEntry> echo = Layer().getservbyname("echo", "udp");
    ASSERT_TRUE(echo);
    EXPECT_EQ(echo->s_port, NetShort(7));
    EXPECT_EQ(echo->s_proto, "udp");
    EXPECT_FALSE(Layer().getservbyname("no-such-service", "tcp"));
    EXPECT_EQ(Layer().WSAGetLastError(), WSANO_DATA);
}

TEST(PosixWinSock, SwitchesBlockingAndReportsWouldBlock) {
    TcpPair pair = MakeTcpPair();
    const TSocket s = pair.server.Get();
    std::uint32_t on = 1;
    ASSERT_EQ(Layer().ioctlsocket(s, WsFionbio, &on), 0);
    char byte;
    EXPECT_EQ(Layer().recv(s, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(Layer().WSAGetLastError(), WSAEWOULDBLOCK);

    WriteAll(pair.client.Get(), "abc");
    FdSet readable;
    readable.Add(s);
    const TimeVal wait{5, 0};
    ASSERT_EQ(Layer().select(0, &readable, nullptr, nullptr, &wait), 1);
    std::uint32_t waiting = 0;
    EXPECT_EQ(Layer().ioctlsocket(s, WsFionread, &waiting), 0);
    EXPECT_EQ(waiting, 3u);

    std::uint32_t off = 0;
    ASSERT_EQ(Layer().ioctlsocket(s, WsFionbio, &off), 0);
    char buffer[8];
    EXPECT_EQ(Layer().recv(s, buffer, sizeof buffer, 0), 3);
    FdSet quiet;
    quiet.Add(s);
    const TimeVal none{0, 0};
    EXPECT_EQ(Layer().select(0, &quiet, nullptr, nullptr, &none), 0);
    EXPECT_EQ(quiet.fd_count, 0u);
}

// Sending to a peer that has gone must report an error, not end the program with SIGPIPE.
TEST(PosixWinSock, SendingToAClosedPeerFailsWithoutASignal) {
    TcpPair pair = MakeTcpPair();
    pair.client.Reset();
    const std::string data(65536, 'x');
    int result = 0;
    for (int attempt = 0; attempt < 1000 && result != SOCKET_ERROR; ++attempt) {
        result = Layer().send(pair.server.Get(), data.data(), int(data.size()), 0);
    }
    EXPECT_EQ(result, SOCKET_ERROR);
    EXPECT_EQ(Layer().WSAGetLastError(), WSAECONNRESET);
}

} // namespace zintra
