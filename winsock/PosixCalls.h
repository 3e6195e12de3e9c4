#pragma once

// What the POSIX WinSock calls share: the calling thread's last error, address conversion, and
// resuming calls a signal cut short.

#include "winsock/WinSock.h"

#include <cerrno>
#include <netinet/in.h>
#include <sys/types.h>

namespace zintra::posix {

// Records code as the calling thread's last error; SOCKET_ERROR.
int Fail(int code);
int FailFromErrno();
int LastError();
int ResultOrFailure(ssize_t result);

sockaddr_in ToPosix(const SockAddrIn& from);
void FromPosix(const sockaddr_in& from, SockAddrIn& to);

// Blocking WinSock calls are not cut short by signals; POSIX ones are, so they are resumed.
template <typename Call> auto Resumed(Call call) {
    for (;;) {
        auto result = call();
        if (result >= 0 || errno != EINTR) {
            return result;
        }
    }
}

} // namespace zintra::posix
