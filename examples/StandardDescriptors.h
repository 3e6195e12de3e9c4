#pragma once

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zintra {

// A console program started with standard input, output or error closed would hand their
// numbers to its first sockets, and then write its reports into a connection. Each closed one
// is held on /dev/null, opened for reading only: input ends at once, and output fails as a
// closed one does, so that the program reports it.
inline void HoldStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        }
    }
}

} // namespace zintra
