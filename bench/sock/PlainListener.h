#pragma once

#include <arpa/inet.h>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zintra {

// The listening socket of a plain reference echo server on PORT (all addresses), with SIGPIPE
// ignored; -1 when the port cannot be listened on.
inline int ListenOnPort(const char* port) {
    std::signal(SIGPIPE, SIG_IGN);
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(std::atoi(port)));
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 128) != 0) {
        ::close(listener);
        return -1;
    }
    return listener;
}

} // namespace zintra
