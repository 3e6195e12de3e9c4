#pragma once

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Running out of memory on purpose: a child process whose address space may grow only a little
// beyond what it already has. AddressSanitizer reserves far more address space than any such
// limit and aborts instead of failing an allocation, so its builds cannot take part.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kCanLimitMemory = false;
#else
inline constexpr bool kCanLimitMemory = true;
#endif

// Runs `body` in a child process that may take at most `extraBytes` more address space, and
// gives its result; -1 when the child did not end normally (killed, aborted, or an exception
// escaped).
inline int RunWithMemoryLimit(std::size_t extraBytes, const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + extraBytes;
        const rlimit both{limit, limit};
        int result = -1;
        if (setrlimit(RLIMIT_AS, &both) == 0) {
            try {
                result = body();
            } catch (...) {
            }
        }
        std::fflush(nullptr);
        _exit(result < 0 ? 255 : result);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
}

// A sparse file of `bytes` zero bytes: one line longer than a limited child can hold.
inline std::string WriteOversizedFile(const std::string& path, off_t bytes = off_t{1} << 32) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) {
        if (ftruncate(fd, bytes) != 0) {
            std::perror("ftruncate");
        }
        close(fd);
    }
    return path;
}
