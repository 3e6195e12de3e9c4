// sockecho, non-blocking and blocking, against the floor (echo_floor on plain poll): bulk
// throughput with 1 and with 50 clients, and round trips per second with 100-byte messages.
// Every figure is also given as a ratio of the floor's.

#include "tests/support/LoopbackClient.h"

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zintra {

namespace {

using Clock = std::chrono::steady_clock;

// A connected client that sends small messages at once.
int ConnectNoDelay(std::uint16_t port) {
    const int s = Connect(port);
    const int on = 1;
    if (s >= 0) {
        ::setsockopt(s, IPPROTO_TCP, 1 /* TCP_NODELAY */, &on, sizeof on);
    }
    return s;
}

// Each client sends its bytes and reads the echo at the same time; MB/s echoed.
double Bulk(std::uint16_t port, int clients, std::size_t bytesPerClient) {
    std::vector<int> fds;
    for (int i = 0; i < clients; ++i) {
        fds.push_back(ConnectNoDelay(port));
    }
    const std::string chunk(65536, 'e');
    std::vector<std::size_t> sent(fds.size()), received(fds.size());
    char buffer[65536];
    const auto start = Clock::now();
    for (std::size_t done = 0; done < fds.size();) {
        std::vector<pollfd> polls;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            polls.push_back({fds[i],
                             short(received[i] < bytesPerClient
                                       ? POLLIN | (sent[i] < bytesPerClient ? POLLOUT : 0)
                                       : 0),
                             0});
        }
        ::poll(polls.data(), polls.size(), 1000);
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (polls[i].revents & POLLOUT) {
                const ssize_t n =
                    ::send(fds[i], chunk.data(), std::min(chunk.size(), bytesPerClient - sent[i]),
                           MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n > 0) {
                    sent[i] += std::size_t(n);
                }
            }
            if (polls[i].revents & POLLIN) {
                const ssize_t n = ::recv(fds[i], buffer, sizeof buffer, MSG_DONTWAIT);
                if (n > 0 && (received[i] += std::size_t(n)) == bytesPerClient) {
                    ++done;
                }
                if (n == 0) {
                    return 0;
                }
            }
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (int fd : fds) {
        ::close(fd);
    }
    return double(bytesPerClient) * clients / seconds / 1e6;
}

// One client, one 100-byte message at a time; round trips per second.
double RoundTrips(std::uint16_t port, std::chrono::milliseconds duration) {
    const int fd = ConnectNoDelay(port);
    const std::string message(100, 'r');
    char buffer[100];
    long trips = 0;
    const auto start = Clock::now();
    while (Clock::now() - start < duration) {
        ::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
        for (std::size_t got = 0; got < message.size();) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer - got, 0);
            if (n <= 0) {
                return 0;
            }
            got += std::size_t(n);
        }
        ++trips;
    }
    ::close(fd);
    return double(trips) / std::chrono::duration<double>(Clock::now() - start).count();
}

struct Figures {
    double bulk1, bulk50, trips;
};

Figures Measure(const QString& program, QStringList arguments, bool portAsOption) {
    const std::uint16_t port = FreePort();
    arguments = portAsOption ? QStringList{"--port", QString::number(port)} + arguments
                             : QStringList{QString::number(port)};
    QProcess server;
    server.start(program, arguments);
    server.waitForStarted();
    int probe;
    while ((probe = ConnectNoDelay(port)) < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::close(probe);
    // The machine is shared: each figure is the best of a few runs.
    Figures figures{0, 0, 0};
    for (int run = 0; run < 3; ++run) {
        figures.bulk1 = std::max(figures.bulk1, Bulk(port, 1, 256u << 20));
        figures.bulk50 = std::max(figures.bulk50, Bulk(port, 50, 8u << 20));
        figures.trips = std::max(figures.trips, RoundTrips(port, std::chrono::seconds(1)));
    }
    server.terminate();
    server.waitForFinished();
    return figures;
}

} // namespace

} // namespace zintra

int main(int argc, char** argv) {
    using namespace zintra;
    QCoreApplication app(argc, argv);
    const Figures floor = Measure(ECHO_FLOOR_PATH, {}, false);
    const Figures nonBlocking = Measure(SOCKECHO_PATH, {"--quiet"}, true);
    const Figures blocking = Measure(SOCKECHO_PATH, {"--quiet", "--blocking"}, true);
    std::printf("%-22s %14s %14s %14s\n", "server", "1 client MB/s", "50 clients MB/s",
                "round trips/s");
    const auto row = [&](const char* name, const Figures& f) {
        std::printf("%-22s %8.0f (%.2f) %8.0f (%.2f) %8.0f (%.2f)\n", name, f.bulk1,
                    f.bulk1 / floor.bulk1, f.bulk50, f.bulk50 / floor.bulk50, f.trips,
                    f.trips / floor.trips);
    };
    row("floor (poll)", floor);
    row("sockecho", nonBlocking);
    row("sockecho --blocking", blocking);
    std::printf("targets: sockecho at least 0.5 of the floor, --blocking at least 0.7\n");
    return 0;
}
