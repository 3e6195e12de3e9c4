#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace zintra {

// sockecho --port PORT [--blocking] [--timeout SECONDS] [--backlog N] [--quiet] [--verbose]
struct EchoOptions {
    // A decimal number from 1 to 65535, or a TCP service name.
    std::string Port;
    bool Blocking = false;
    // How long each blocking receive waits, in seconds, at least 1; by default (-1) without
    // limit.
    std::int32_t TimeoutSeconds = -1;
    // Connections that may wait to be accepted; by default as many as the system allows.
    int Backlog = SOMAXCONN;
    bool Quiet = false;
    // Look-up reports too: every accepted connection makes three.
    bool Verbose = false;
};

inline constexpr const char* EchoUsage =
    "usage: sockecho --port PORT [--blocking] [--timeout SECONDS] [--backlog N] [--quiet] "
    "[--verbose]";

// The options of a command line (without the program name); nullopt and the reason in error
// when it cannot be understood.
std::optional<EchoOptions> ParseEchoOptions(const std::vector<std::string>& arguments,
                                            std::string& error);

} // namespace zintra
