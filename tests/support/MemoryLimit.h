#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Running out of memory on purpose, in a child process whose address space may grow only a
// little. AddressSanitizer reserves far more address space than such a limit and aborts instead
// of failing an allocation, so its builds cannot take part.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kCanLimitMemory = false;
#else
inline constexpr bool kCanLimitMemory = true;
#endif

// Runs `body` in a child that may take `extraBytes` more address space; gives its result, or -1
// when the child did not end normally.
inline int RunWithMemoryLimit(std::size_t extraBytes, const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + extraBytes;
        const rlimit both{limit, limit};
        const int result = setrlimit(RLIMIT_AS, &both) == 0 ? body() : 255;
        std::fflush(nullptr);
        _exit(result);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
}

// A sparse file of 4 GiB of zero bytes: one line longer than a limited child can hold.
inline std::string WriteOversizedFile(const std::string& path) {
    std::ofstream created(path);
    std::filesystem::resize_file(path, std::uintmax_t{1} << 32);
    return path;
}
