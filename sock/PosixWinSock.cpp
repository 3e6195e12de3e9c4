#include "sock/PosixWinSock.h"

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

namespace {

thread_local int lastError = 0;

int Fail(int code) {
    lastError = code;
    return SOCKET_ERROR;
}

int FailFromErrno() {
    return Fail(WinSockErrorFromErrno(errno));
}

bool HasZeroByte(const std::string& text) {
    return text.find('\0') != std::string::npos;
}

sockaddr_in ToPosix(const SockAddrIn& from) {
    sockaddr_in to{};
    to.sin_family = from.sin_family == WsAfInet ? AF_INET : sa_family_t(from.sin_family);
    to.sin_port = from.sin_port;
    to.sin_addr.s_addr = from.sin_addr;
    return to;
}

void FromPosix(const sockaddr_in& from, SockAddrIn& to) {
    to = SockAddrIn{};
    to.sin_family = from.sin_family == AF_INET ? WsAfInet : std::uint16_t(from.sin_family);
    to.sin_port = from.sin_port;
    to.sin_addr = from.sin_addr.s_addr;
}

// Blocking WinSock calls are not cut short by signals; POSIX ones are, so they are resumed.
template <typename Call> auto Resumed(Call call) {
    for (;;) {
        auto result = call();
        if (result >= 0 || errno != EINTR) {
            return result;
        }
    }
}

int ResultOrFailure(ssize_t result) {
    return result < 0 ? FailFromErrno() : int(result);
}

int HostErrorFromGai(int gaiError) {
    switch (gaiError) {
    case EAI_NONAME:
        return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return WSATRY_AGAIN;
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        return WSANO_DATA;
    case EAI_MEMORY:
        return WSAENOBUFS;
    case EAI_SYSTEM:
        return WinSockErrorFromErrno(errno);
    default:
        return WSANO_RECOVERY;
    }
}

// Which of select's sets named a socket.
struct NamedIn {
    bool read = false;
    bool write = false;
    bool except = false;
};

// The sockets of one select call, each once in the order first named: what poll watches for
// it, and the sets that named it.
struct SelectRequest {
    std::vector<pollfd> polls;
    std::vector<NamedIn> named;
};

SelectRequest BuildSelect(const FdSet* readfds, const FdSet* writefds, const FdSet* exceptfds) {
    SelectRequest request;
    const auto add = [&request](const FdSet* set, short events, bool NamedIn::*flag) {
        if (!set) {
            return;
        }
        for (std::uint32_t i = 0; i < set->fd_count; ++i) {
            const TSocket s = set->fd_array[i];
            auto it = std::ranges::find(request.polls, s, &pollfd::fd);
            if (it == request.polls.end()) {
                request.polls.push_back({s, 0, 0});
                request.named.emplace_back();
                it = request.polls.end() - 1;
            }
            it->events = short(it->events | events);
            request.named[std::size_t(it - request.polls.begin())].*flag = true;
        }
    };
    add(readfds, POLLIN, &NamedIn::read);
    add(writefds, POLLOUT, &NamedIn::write);
    add(exceptfds, POLLPRI, &NamedIn::except);
    return request;
}

// Polls until a socket is ready or the time-out (none: no limit) has passed; a signal does not
// end the wait. The count of ready sockets, or -1 with errno set.
int WaitUntilReady(std::vector<pollfd>& polls, const TimeVal* timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = timeout ? Clock::now() + std::chrono::seconds(timeout->tv_sec) +
                                        std::chrono::microseconds(timeout->tv_usec)
                                  : Clock::time_point::max();
    for (;;) {
        int waitMs = -1;
        if (timeout) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            waitMs = int(std::clamp<std::int64_t>(left.count(), 0, INT_MAX));
        }
        const int ready = ::poll(polls.data(), polls.size(), waitMs);
        if (ready > 0 || (ready == 0 && (!timeout || Clock::now() >= deadline))) {
            return ready;
        }
        if (ready < 0 && errno != EINTR) {
            return -1;
        }
    }
}

// Leaves in each set only those of its sockets that are ready; the count of what is left, or a
// failure when a socket was not open.
int WriteBack(const SelectRequest& request, FdSet* readfds, FdSet* writefds, FdSet* exceptfds) {
    for (FdSet* set : {readfds, writefds, exceptfds}) {
        if (set) {
            set->fd_count = 0;
        }
    }
    int count = 0;
    for (std::size_t i = 0; i < request.polls.size(); ++i) {
        const short revents = request.polls[i].revents;
        if (revents & POLLNVAL) {
            return Fail(WSAENOTSOCK);
        }
        const auto keep = [&count, s = request.polls[i].fd](FdSet* set, bool named, bool ready) {
            if (named && ready) {
                set->Add(s);
                ++count;
            }
        };
        const NamedIn& named = request.named[i];
        keep(readfds, named.read, revents & (POLLIN | POLLHUP | POLLERR));
        keep(writefds, named.write, revents & (POLLOUT | POLLERR));
        keep(exceptfds, named.except, revents & POLLPRI);
    }
    return count;
}

} // namespace

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
    return lastError;
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

int PosixWinSock::WSAAsyncSelect(TSocket s, QObject* target, unsigned msg, long mask) {
    if (mask != 0 && !target) {
        return Fail(WSAEINVAL);
    }
    if (mask != 0) {
        std::uint32_t nonBlocking = 1;
        if (ioctlsocket(s, WsFionbio, &nonBlocking) != 0) {
            return SOCKET_ERROR;
        }
    }
    selections_.Select(s, target, msg, mask);
    return 0;
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

int PosixWinSock::select(int, FdSet* readfds, FdSet* writefds, FdSet* exceptfds,
                         const TimeVal* timeout) {
    SelectRequest request = BuildSelect(readfds, writefds, exceptfds);
    if (request.polls.empty() || (timeout && (timeout->tv_sec < 0 || timeout->tv_usec < 0))) {
        return Fail(WSAEINVAL);
    }
    // Bytes read ahead make a socket readable at once.
    std::vector<std::size_t> held;
    for (std::size_t i = 0; i < request.polls.size(); ++i) {
        if (request.named[i].read && readAhead_.Held(request.polls[i].fd) > 0) {
            held.push_back(i);
        }
    }
    const TimeVal now{0, 0};
    if (WaitUntilReady(request.polls, held.empty() ? timeout : &now) < 0) {
        return FailFromErrno();
    }
    for (const std::size_t i : held) {
        request.polls[i].revents |= POLLIN;
    }
    return WriteBack(request, readfds, writefds, exceptfds);
}

std::optional<HostEntry> PosixWinSock::gethostbyname(const std::string& name) {
    if (!Started()) {
        return std::nullopt;
    }
    if (HasZeroByte(name)) {
        Fail(WSAHOST_NOT_FOUND);
        return std::nullopt;
    }
    std::string host = name;
    if (host.empty()) {
        char local[256] = {};
        if (::gethostname(local, sizeof local - 1) < 0) {
            FailFromErrno();
            return std::nullopt;
        }
        host = local;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(host.c_str(), nullptr, &hints, &found); error != 0) {
        Fail(HostErrorFromGai(error));
        return std::nullopt;
    }
    HostEntry entry;
    entry.h_name = found->ai_canonname ? found->ai_canonname : host;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        const auto* address = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        if (std::find(entry.h_addr_list.begin(), entry.h_addr_list.end(),
                      address->sin_addr.s_addr) == entry.h_addr_list.end()) {
            entry.h_addr_list.push_back(address->sin_addr.s_addr);
        }
    }
    ::freeaddrinfo(found);
    return entry;
}

std::optional<ServEntry> PosixWinSock::getservbyname(const std::string& name,
                                                     const std::string& proto) {
    if (!Started()) {
        return std::nullopt;
    }
    if (HasZeroByte(name) || HasZeroByte(proto)) {
        Fail(WSANO_DATA);
        return std::nullopt;
    }
    std::vector<char> buffer(1024);
    servent entry{};
    servent* found = nullptr;
    int error;
    while ((error = ::getservbyname_r(name.c_str(), proto.empty() ? nullptr : proto.c_str(), &entry,
                                      buffer.data(), buffer.size(), &found)) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (error != 0 || !found) {
        Fail(WSANO_DATA);
        return std::nullopt;
    }
    return ServEntry{found->s_name, std::uint16_t(found->s_port), found->s_proto};
}

std::uint32_t PosixWinSock::inet_addr(const std::string& cp) {
    if (HasZeroByte(cp)) {
        return WsInaddrNone;
    }
    return ::inet_addr(cp.c_str());
}

std::string PosixWinSock::inet_ntoa(std::uint32_t in) {
    std::uint8_t octets[4];
    std::memcpy(octets, &in, sizeof octets);
    return std::to_string(octets[0]) + '.' + std::to_string(octets[1]) + '.' +
           std::to_string(octets[2]) + '.' + std::to_string(octets[3]);
}

} // namespace zintra
