#include "winsock/PosixCalls.h"

#include "winsock/PosixWinSock.h"

namespace zintra::posix {

namespace {

thread_local int lastError = 0;

} // namespace

int Fail(int code) {
    lastError = code;
    return SOCKET_ERROR;
}

int FailFromErrno() {
    return Fail(WinSockErrorFromErrno(errno));
}

int LastError() {
    return lastError;
}

int ResultOrFailure(ssize_t result) {
    return result < 0 ? FailFromErrno() : int(result);
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

} // namespace zintra::posix
