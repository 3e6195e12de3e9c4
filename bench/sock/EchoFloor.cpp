// The floor for the echo benchmarks: the smallest sensible echo server on plain POSIX poll.
//   echo_floor PORT

#include "bench/sock/PlainListener.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace zintra {

namespace {

struct Connection {
    std::string pending; // read, not yet written back
};

} // namespace

} // namespace zintra

int main(int argc, char** argv) {
    using namespace zintra;
    if (argc != 2) {
        return 2;
    }
    const int listener = ListenOnPort(argv[1]);
    if (listener < 0) {
        return 1;
    }
    std::vector<pollfd> polls{{listener, POLLIN, 0}};
    std::vector<Connection> connections(1);
    char buffer[32768];
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
            bool closed = false;
            if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = ::recv(p.fd, buffer, sizeof buffer, 0);
                if (n > 0) {
                    c.pending.append(buffer, std::size_t(n));
                } else if (n == 0 || errno != EAGAIN) {
                    closed = true;
                }
            }
            if (!closed && !c.pending.empty()) {
                const ssize_t n = ::send(p.fd, c.pending.data(), c.pending.size(), MSG_NOSIGNAL);
                if (n > 0) {
                    c.pending.erase(0, std::size_t(n));
                } else if (n < 0 && errno != EAGAIN) {
                    closed = true;
                }
            }
            if (closed) {
                ::close(p.fd);
                polls.erase(polls.begin() + std::ptrdiff_t(i));
                connections.erase(connections.begin() + std::ptrdiff_t(i));
                continue;
            }
            p.events = short(POLLIN | (c.pending.empty() ? 0 : POLLOUT));
        }
    }
}
