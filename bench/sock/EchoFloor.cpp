// The floor for the echo benchmarks: the smallest sensible echo server on plain POSIX poll, or
// on epoll, whose passes cost what is ready rather than what is open.
//   echo_floor [--epoll] PORT

#include "bench/sock/PlainListener.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace zintra {

namespace {

struct Connection {
    std::string pending; // read, not yet written back
};

// One 32768-byte recv when readable, and one send of what waits; false once the connection
// has ended.
bool Serve(int fd, bool readable, Connection& c) {
    static char buffer[32768];
    if (readable) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            c.pending.append(buffer, std::size_t(n));
        } else if (n == 0 || errno != EAGAIN) {
            return false;
        }
    }
    if (!c.pending.empty()) {
        const ssize_t n = ::send(fd, c.pending.data(), c.pending.size(), MSG_NOSIGNAL);
        if (n > 0) {
            c.pending.erase(0, std::size_t(n));
        } else if (n < 0 && errno != EAGAIN) {
            return false;
        }
    }
    return true;
}

int ServeWithPoll(int listener) {
    std::vector<pollfd> polls{{listener, POLLIN, 0}};
    std::vector<Connection> connections(1);
    for (;;) {
        if (::poll(polls.data(), polls.size(), -1) < 0 && errno != EINTR) {
            return 1;
        }
        if (polls[0].revents & POLLIN) {
            const int s = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK);
            if (s >= 0) {
                polls.push_back({s, POLLIN, 0});
                connections.emplace_back();
            }
        }
        for (std::size_t i = polls.size(); i-- > 1;) {
            pollfd& p = polls[i];
            Connection& c = connections[i];
            if (!Serve(p.fd, p.revents & (POLLIN | POLLHUP | POLLERR), c)) {
                ::close(p.fd);
                polls.erase(polls.begin() + std::ptrdiff_t(i));
                connections.erase(connections.begin() + std::ptrdiff_t(i));
                continue;
            }
            p.events = short(POLLIN | (c.pending.empty() ? 0 : POLLOUT));
        }
    }
}

int ServeWithEpoll(int listener) {
    const int epoll = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event watch{EPOLLIN, {.fd = listener}};
    ::epoll_ctl(epoll, EPOLL_CTL_ADD, listener, &watch);
    std::unordered_map<int, Connection> connections;
    epoll_event ready[256];
    for (;;) {
        const int n = ::epoll_wait(epoll, ready, 256, -1);
        if (n < 0 && errno != EINTR) {
            return 1;
        }
        for (int i = 0; i < n; ++i) {
            const int fd = ready[i].data.fd;
            if (fd == listener) {
                const int s = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK);
                if (s >= 0) {
                    connections.emplace(s, Connection{});
                    epoll_event in{EPOLLIN, {.fd = s}};
                    ::epoll_ctl(epoll, EPOLL_CTL_ADD, s, &in);
                }
                continue;
            }
            Connection& c = connections[fd];
            const bool wasPending = !c.pending.empty();
            if (!Serve(fd, ready[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR), c)) {
                ::close(fd);
                connections.erase(fd);
            } else if (wasPending != !c.pending.empty()) {
                epoll_event change{std::uint32_t(EPOLLIN) |
                                       (c.pending.empty() ? 0u : std::uint32_t(EPOLLOUT)),
                                   {.fd = fd}};
                ::epoll_ctl(epoll, EPOLL_CTL_MOD, fd, &change);
            }
        }
    }
}

} // namespace

} // namespace zintra

int main(int argc, char** argv) {
    using namespace zintra;
    const bool epoll = argc == 3 && std::strcmp(argv[1], "--epoll") == 0;
    if (argc != 2 && !epoll) {
        return 2;
    }
    const int listener = ListenOnPort(argv[argc - 1]);
    if (listener < 0) {
        return 1;
    }
    return epoll ? ServeWithEpoll(listener) : ServeWithPoll(listener);
}
