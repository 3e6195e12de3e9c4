#include "winsock/PosixWinSock.h"
#include "winsock/WinSockErrors.h"

#include <algorithm>

namespace zintra {

int WinSockErrorFromErrno(int errnoValue) {
    if (errnoValue != 0) {
        for (const WinSockError& error : WinSockErrors()) {
            if (std::ranges::find(error.Errnos, errnoValue) != error.Errnos.end()) {
                return error.Code;
            }
        }
    }
    // Anything else is a call the layer could not carry out as asked.
    return WSAEINVAL;
}

} // namespace zintra
