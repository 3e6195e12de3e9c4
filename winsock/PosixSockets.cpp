#include "winsock/PosixCalls.h"
#include "winsock/PosixWinSock.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zintra {

using posix::Fail;
using posix::FailFromErrno;
using posix::FromPosix;
using posix::ResultOrFailure;
using posix::Resumed;
using posix::ToPosix;

// A send that would block asks for FD_WRITE once the socket can send again. So does one that
// took only part of the bytes: the socket is full, and where WinSock would have buffered the
// rest, POSIX leaves it to the caller, who must hear when to send it.
int PosixWinSock::Sent(TSocket s, int len, ssize_t result) {
    const int error = errno;
    if (result >= 0 ? result < len : error == EAGAIN || error == EWOULDBLOCK) {
        selections_.SendWouldBlock(s);
    }
    return result < 0 ? Fail(WinSockErrorFromErrno(error)) : int(result);
}

// What a read takes from the bytes read ahead, which re-enables FD_READ as any read does; -1
// when none are held and the read goes to the socket.
int PosixWinSock::TakeReadAhead(TSocket s, char* buf, int len, int flags) {
    const int held = readAhead_.Take(s, buf, len, flags & MSG_PEEK);
    if (held >= 0) {
        selections_.Received(s, false);
    }
    return held;
}

int PosixWinSock::WSAStartup(std::uint16_t versionRequested, WSAData& data) {
    const int major = versionRequested & 0xFF;
    const int minor = versionRequested >> 8;
    data.wVersion = WinSockVersion11;
    data.wHighVersion = WinSockVersion11;
    if (major < 1 || (major == 1 && minor < 1)) {
        return WSAVERNOTSUPPORTED;
    }
    data.szDescription = "Zintra POSIX Sockets 1.1";
    data.szSystemStatus = "Running";
    ++startups_;
    return 0;
}

int PosixWinSock::WSACleanup() {
    int count = startups_.load();
    while (count > 0 && !startups_.compare_exchange_weak(count, count - 1)) {
    }
    return count > 0 ? 0 : Fail(WSANOTINITIALISED);
}

int PosixWinSock::WSAGetLastError() {
    return posix::LastError();
}

bool PosixWinSock::Started() {
    if (startups_.load() > 0) {
        return true;
    }
    Fail(WSANOTINITIALISED);
    return false;
}

TSocket PosixWinSock::socket(int af, int type, int protocol) {
    if (!Started()) {
        return INVALID_SOCKET;
    }
    if (af != WsAfInet) {
        return Fail(WSAEAFNOSUPPORT);
    }
    if (type != WsSockStream && type != WsSockDgram) {
        return Fail(WSAESOCKTNOSUPPORT);
    }
    const int posixType = type == WsSockStream ? SOCK_STREAM : SOCK_DGRAM;
    const int s = ::socket(AF_INET, posixType | SOCK_CLOEXEC, protocol);
    if (s < 0) {
        return FailFromErrno();
    }
    if (type == WsSockStream) {
        // A new listener may take a port whose earlier connections still linger, as on WinSock.
        const int on = 1;
        ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    return s;
}

int PosixWinSock::bind(TSocket s, const SockAddrIn& name, int nameLen) {
    if (nameLen < int(sizeof(SockAddrIn))) {
        return Fail(WSAEFAULT);
    }
    const sockaddr_in address = ToPosix(name);
    return ResultOrFailure(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address));
}

int PosixWinSock::listen(TSocket s, int backlog) {
    if (::listen(s, backlog) != 0) {
        return FailFromErrno();
    }
    selections_.Listening(s);
    return 0;
}

TSocket PosixWinSock::accept(TSocket s, SockAddrIn* addr, int* addrLen) {
    if (addr && (!addrLen || *addrLen < int(sizeof(SockAddrIn)))) {
        return Fail(WSAEFAULT);
    }
    sockaddr_in peer{};
    socklen_t peerLen = sizeof peer;
    const int result = Resumed(
        [&] { return ::accept4(s, reinterpret_cast<sockaddr*>(&peer), &peerLen, SOCK_CLOEXEC); });
    const int error = errno;
    selections_.Accepted(s, result < 0 && error != EAGAIN && error != EWOULDBLOCK);
    if (result < 0) {
        return Fail(WinSockErrorFromErrno(error));
    }
    selections_.Connection(result);
    if (addr) {
        FromPosix(peer, *addr);
        *addrLen = sizeof(SockAddrIn);
    }
    return result;
}

int PosixWinSock::connect(TSocket s, const SockAddrIn& name, int nameLen) {
    if (nameLen < int(sizeof(SockAddrIn))) {
        return Fail(WSAEFAULT);
    }
    const sockaddr_in address = ToPosix(name);
    // A signal does not cut a WinSock connect short: an interrupted one goes on in the
    // background, and waiting for the socket to become writable sees it through.
    int result = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    int error = errno;
    if (result != 0 && error == EINTR) {
        pollfd done{s, POLLOUT, 0};
        Resumed([&] { return ::poll(&done, 1, -1); });
        socklen_t length = sizeof error;
        ::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length);
        result = error == 0 ? 0 : -1;
    }
    const bool underWay = result != 0 && error == EINPROGRESS;
    if (result == 0 || underWay) {
        selections_.Connecting(s);
    }
    if (underWay) {
        return Fail(WSAEWOULDBLOCK);
    }
    return result == 0 ? 0 : Fail(WinSockErrorFromErrno(error));
}

int PosixWinSock::shutdown(TSocket s, int how) {
    static constexpr int posixHow[] = {SHUT_RD, SHUT_WR, SHUT_RDWR};
    if (how < SD_RECEIVE || how > SD_BOTH) {
        return Fail(WSAEINVAL);
    }
    return ResultOrFailure(::shutdown(s, posixHow[how]));
}

int PosixWinSock::closesocket(TSocket s) {
    if (s < 0) {
        return Fail(WSAENOTSOCK);
    }
    selections_.End(s);
    readAhead_.Drop(s);
    return ResultOrFailure(::close(s));
}

int PosixWinSock::ioctlsocket(TSocket s, std::uint32_t cmd, std::uint32_t* argp) {
    if (!argp) {
        return Fail(WSAEFAULT);
    }
    if (cmd == WsFionbio) {
        const int flags = ::fcntl(s, F_GETFL);
        if (flags < 0) {
            return FailFromErrno();
        }
        const int wanted = *argp ? flags | O_NONBLOCK : flags & ~O_NONBLOCK;
        return ResultOrFailure(::fcntl(s, F_SETFL, wanted));
    }
    if (cmd == WsFionread) {
        int waiting = 0;
        if (::ioctl(s, FIONREAD, &waiting) < 0) {
            return FailFromErrno();
        }
        *argp = std::uint32_t(std::size_t(waiting) + readAhead_.Held(s));
        return 0;
    }
    return Fail(WSAEINVAL);
}

int PosixWinSock::send(TSocket s, const char* buf, int len, int flags) {
    if (len < 0) {
        return Fail(WSAEINVAL);
    }
    return Sent(s, len, Resumed([&] { return ::send(s, buf, len, flags | MSG_NOSIGNAL); }));
}

int PosixWinSock::recv(TSocket s, char* buf, int len, int flags) {
    if (len < 0) {
        return Fail(WSAEINVAL);
    }
    if (const int held = TakeReadAhead(s, buf, len, flags); held >= 0) {
        return held;
    }
    const ssize_t result = Resumed([&] { return ::recv(s, buf, len, flags); });
    const int error = errno;
    selections_.Received(s, len > 0 && result == len);
    return result < 0 ? Fail(WinSockErrorFromErrno(error)) : int(result);
}

int PosixWinSock::sendto(TSocket s, const char* buf, int len, int flags, const SockAddrIn* to,
                         int toLen) {
    if (len < 0) {
        return Fail(WSAEINVAL);
    }
    if (!to) {
        return send(s, buf, len, flags);
    }
    if (toLen < int(sizeof(SockAddrIn))) {
        return Fail(WSAEFAULT);
    }
    const sockaddr_in address = ToPosix(*to);
    return Sent(s, len, Resumed([&] {
                    return ::sendto(s, buf, len, flags | MSG_NOSIGNAL,
                                    reinterpret_cast<const sockaddr*>(&address), sizeof address);
                }));
}

int PosixWinSock::recvfrom(TSocket s, char* buf, int len, int flags, SockAddrIn* from,
                           int* fromLen) {
    if (len < 0) {
        return Fail(WSAEINVAL);
    }
    if (from && (!fromLen || *fromLen < int(sizeof(SockAddrIn)))) {
        return Fail(WSAEFAULT);
    }
    // A connection's bytes read ahead come first; a connection names no sender.
    if (const int held = TakeReadAhead(s, buf, len, flags); held >= 0) {
        return held;
    }
    sockaddr_in peer{};
    iovec area{buf, std::size_t(len)};
    msghdr message{};
    message.msg_name = &peer;
    message.msg_namelen = sizeof peer;
    message.msg_iov = &area;
    message.msg_iovlen = 1;
    const ssize_t result = Resumed([&] { return ::recvmsg(s, &message, flags); });
    const int error = errno;
    selections_.Received(s, false);
    if (result < 0) {
        return Fail(WinSockErrorFromErrno(error));
    }
    // A datagram larger than the area is consumed and fails, as on WinSock, rather than be
    // handed out cut short as if it were whole.
    if (message.msg_flags & MSG_TRUNC) {
        return Fail(WSAEMSGSIZE);
    }
    if (from) {
        FromPosix(peer, *from);
        *fromLen = sizeof(SockAddrIn);
    }
    return int(result);
}

} // namespace zintra
