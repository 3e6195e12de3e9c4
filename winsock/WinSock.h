#pragma once

// The socket calls TSock makes, in WinSock 1.1's own terms: handles, error numbers, the
// 16-byte IPv4 address and the notification layout. PosixWinSock provides them on this
// platform; tests install a scripted stand-in.

#include "winsock/WinSockErrors.h"

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QObject;

namespace zintra {

using TSocket = std::int32_t;

constexpr TSocket INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

// Spelled apart from the POSIX macros of the same meaning, which this header must not clash with.
constexpr int WsAfInet = 2;
constexpr int WsSockStream = 1;
constexpr int WsSockDgram = 2;
constexpr std::uint32_t WsFionbio = 0x8004667E;
constexpr std::uint32_t WsFionread = 0x4004667F;
constexpr std::uint32_t WsInaddrAny = 0;
constexpr std::uint32_t WsInaddrNone = 0xFFFFFFFF;
constexpr std::uint16_t WinSockVersion11 = 0x0101;

// The window message that carries socket notifications: wParam the socket,
// lParam the event (low word) and its error (high word).
constexpr int WM_SOCK = 1099;
constexpr int FD_READ = 1;
constexpr int FD_WRITE = 2;
constexpr int FD_ACCEPT = 8;
constexpr int FD_CONNECT = 16;
constexpr int FD_CLOSE = 32;
// How shutdown ends a connection: receiving, sending, or both.
constexpr int SD_RECEIVE = 0;
constexpr int SD_SEND = 1;
constexpr int SD_BOTH = 2;
// recv flag: look at the bytes without taking them.
constexpr int WsMsgPeek = 2;

// sockaddr_in: family in host order, port and address in network order, 8 zero bytes.
struct SockAddrIn {
    std::uint16_t sin_family = 0;
    std::uint16_t sin_port = 0;
    std::uint32_t sin_addr = 0;
    std::uint8_t sin_zero[8] = {};
};
static_assert(sizeof(SockAddrIn) == 16);

struct WSAData {
    std::uint16_t wVersion = 0;
    std::uint16_t wHighVersion = 0;
    std::string szDescription;
    std::string szSystemStatus;
};

// A set of sockets for select, as WinSock lays it out: a count and up to 64 handles.
struct FdSet {
    static constexpr std::uint32_t Capacity = 64;
    std::uint32_t fd_count = 0;
    TSocket fd_array[Capacity] = {};

    void Add(TSocket s);
    bool Contains(TSocket s) const;
};

struct TimeVal {
    std::int32_t tv_sec = 0;
    std::int32_t tv_usec = 0;
};

// What gethostbyname yields: the official name and the IPv4 addresses in network order.
struct HostEntry {
    std::string h_name;
    std::vector<std::uint32_t> h_addr_list;
};

// What getservbyname yields: the port in network order.
struct ServEntry {
    std::string s_name;
    std::uint16_t s_port = 0;
    std::string s_proto;
};

// Between host and network byte order; the same swap serves both ways.
constexpr std::uint16_t NetShort(std::uint16_t value) {
    if constexpr (std::endian::native == std::endian::big) {
        return value;
    }
    return std::uint16_t(value >> 8 | value << 8);
}

constexpr std::uint32_t NetLong(std::uint32_t value) {
    if constexpr (std::endian::native == std::endian::big) {
        return value;
    }
    return value >> 24 | (value >> 8 & 0xFF00) | (value << 8 & 0xFF0000) | value << 24;
}

class WinSock {
public:
    virtual ~WinSock() = default;

    virtual int WSAStartup(std::uint16_t versionRequested, WSAData& data) = 0;
    virtual int WSACleanup() = 0;
    // The error of the last failed call on the calling thread.
    virtual int WSAGetLastError() = 0;

    virtual TSocket socket(int af, int type, int protocol) = 0;
    virtual int bind(TSocket s, const SockAddrIn& name, int nameLen) = 0;
    virtual int listen(TSocket s, int backlog) = 0;
    virtual TSocket accept(TSocket s, SockAddrIn* addr, int* addrLen) = 0;
    // On a non-blocking socket fails with WSAEWOULDBLOCK while the connection is under way;
    // FD_CONNECT then tells how it ended.
    virtual int connect(TSocket s, const SockAddrIn& name, int nameLen) = 0;
    virtual int shutdown(TSocket s, int how) = 0;
    virtual int closesocket(TSocket s) = 0;
    virtual int ioctlsocket(TSocket s, std::uint32_t cmd, std::uint32_t* argp) = 0;

    virtual int send(TSocket s, const char* buf, int len, int flags) = 0;
    virtual int recv(TSocket s, char* buf, int len, int flags) = 0;
    virtual int sendto(TSocket s, const char* buf, int len, int flags, const SockAddrIn* to,
                       int toLen) = 0;
    virtual int recvfrom(TSocket s, char* buf, int len, int flags, SockAddrIn* from,
                         int* fromLen) = 0;
    // timeout null: wait without limit. Returns the number of ready sockets, 0 on time-out.
    virtual int select(int nfds, FdSet* readfds, FdSet* writefds, FdSet* exceptfds,
                       const TimeVal* timeout) = 0;

    // Posts msg (a TSockMessage) to target on target's thread for each event of mask that
    // happens on s, under WinSock's re-enabling rules; replaces the previous selection of s.
    // Mask 0 stops the notifications; any other mask makes s non-blocking.
    virtual int WSAAsyncSelect(TSocket s, QObject* target, unsigned msg, long mask) = 0;

    virtual std::optional<HostEntry> gethostbyname(const std::string& name) = 0;
    virtual std::optional<ServEntry> getservbyname(const std::string& name,
                                                   const std::string& proto) = 0;
    virtual std::uint32_t inet_addr(const std::string& cp) = 0;
    virtual std::string inet_ntoa(std::uint32_t in) = 0;
};

// The layer every TSock uses: PosixWinSock unless another has been installed.
WinSock& WinSockLayer();
// Makes layer the one in use and returns the previous one; for tests and embedders.
WinSock& InstallWinSockLayer(WinSock& layer);

} // namespace zintra
