#pragma once

#include "winsock/WinSock.h"

#include <sys/stat.h>
#include <sys/types.h>

namespace zintra {

// What tells a socket from the next one to take its number, once it was closed outside the
// layer: the identity of the open file behind the number, 0 for no open file.
inline ino_t IdentityOf(TSocket s) {
    struct stat identity {};
    return ::fstat(s, &identity) == 0 ? identity.st_ino : 0;
}

inline bool SameSocket(TSocket s, ino_t identity) {
    return identity != 0 && IdentityOf(s) == identity;
}

} // namespace zintra
