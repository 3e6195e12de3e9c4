#include "tests/support/LoopbackClient.h"
#include "tests/support/RunningEcho.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace zintra {

namespace {

constexpr int Deadline = 10000;
// The offset basis of the FNV-1a digest.
constexpr std::uint64_t Fnv = 0xCBF29CE484222325;

// A connected socket whose reads give up after 10 s, so a silent server fails the test.
int ConnectWaiting(std::uint16_t port) {
    const int s = Connect(port);
    const timeval wait{10, 0};
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    return s;
}

long OpenDescriptors(qint64 pid) {
    const std::filesystem::directory_iterator fds("/proc/" + std::to_string(pid) + "/fd");
    return long(std::distance(begin(fds), end(fds)));
}

// Sends text and reads back as many bytes.
std::string Echo(int s, const std::string& text) {
    ::send(s, text.data(), text.size(), MSG_NOSIGNAL);
    std::string back;
    char buffer[4096];
    while (back.size() < text.size()) {
        const ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        back.append(buffer, std::size_t(n));
    }
    return back;
}

} // namespace

class SockEcho : public testing::TestWithParam<const char*> {
protected:
    // The mode's option, if any, and the others given.
    QStringList Options(QStringList others = {}) const {
        if (*GetParam()) {
            others << GetParam();
        }
        return others;
    }
};

TEST_P(SockEcho, EchoesEveryClientAndStopsCleanlyOnASignal) {
    RunningEcho echo(Options({"--verbose"}));
    const int first = ConnectWaiting(echo.port), second = ConnectWaiting(echo.port);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    EXPECT_EQ(Echo(first, "hello"), "hello");
    const std::string big(200000, 'b');
    EXPECT_EQ(Echo(second, big), big);
    EXPECT_EQ(Echo(first, "again"), "again");

    EXPECT_EQ(echo.Stop(SIGTERM), 0);
    char byte;
    EXPECT_EQ(::recv(first, &byte, 1, 0), 0); // closed by the server
    ::close(first);
    ::close(second);
    EXPECT_TRUE(echo.output.contains("Listen: Listening Stopped\n"));
    EXPECT_TRUE(echo.output.contains("Lookup: Setting HostName While Connected Has No Effect\n"));
}

// socat, a client written elsewhere, shuts its sending side at the end of its input and reads the
// echo to the end.
TEST_P(SockEcho, AHalfClosingSocatClientGetsTheWholeEcho) {
    RunningEcho echo(Options({"--quiet"}));
    QByteArray data(8 << 20, '\0');
    for (int i = 0; i < data.size(); ++i) {
        data[i] = char(i * 7 + i / 4096);
    }
    QProcess socat;
    socat.start("socat", {"-t", "60", "-", "TCP:127.0.0.1:" + QString::number(echo.port)});
    ASSERT_TRUE(socat.waitForStarted(Deadline));
    socat.write(data);
    socat.closeWriteChannel();
    EXPECT_TRUE(socat.waitForFinished(60000));
    const QByteArray back = socat.readAllStandardOutput();
    EXPECT_EQ(back.size(), data.size());
    EXPECT_TRUE(back == data);
}

// Peers that reset, or close with their echo unread (which resets too), leave no descriptor.
TEST_P(SockEcho, PeersThatResetOrLeaveTheEchoUnreadLeaveNoDescriptor) {
    RunningEcho echo(Options({"--quiet"}));
    const auto descriptors = [&] { return OpenDescriptors(echo.process.processId()); };
    // Counted once an echo shows the server has finished starting, with that peer kept open.
    const int settled = ConnectWaiting(echo.port);
    EXPECT_EQ(Echo(settled, "ready"), "ready");
    const auto before = descriptors();
    for (int i = 0; i < 20; ++i) {
        const int s = ConnectWaiting(echo.port);
        EXPECT_EQ(Echo(s, "first"), "first");
        const linger reset{1, 0};
        if (i % 2) {
            ::setsockopt(s, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        } else {
            ::send(s, "unread", 6, MSG_NOSIGNAL);
            pollfd echoed{s, POLLIN, 0};
            ::poll(&echoed, 1, Deadline);
        }
        ::close(s);
    }
    // The count may also drop below the baseline, as a finished accept thread's own descriptors
    // go; a leak keeps it above.
    const QDeadlineTimer deadline(Deadline);
    while (descriptors() > before && !deadline.hasExpired()) {
        echo.process.waitForFinished(20);
    }
    EXPECT_LE(descriptors(), before);
    ::close(settled);
}

// Every connection of a burst is accepted without the resets and SYN retries of a short queue.
TEST_P(SockEcho, ServesABurstOfThreeHundredConnects) {
    RunningEcho echo(Options({"--quiet"}));
    const QDeadlineTimer deadline(10000);
    std::vector<pollfd> clients;
    const sockaddr_in address = LoopbackAddress(echo.port);
    for (int i = 0; i < 300; ++i) {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        clients.push_back({s, POLLOUT, 0});
    }
    // Each client sends one byte once connected and is done when the byte comes back.
    std::size_t echoed = 0;
    while (echoed < clients.size() && !deadline.hasExpired()) {
        ::poll(clients.data(), clients.size(), 100);
        for (pollfd& client : clients) {
            char byte = 'b';
            if (client.events == POLLOUT && client.revents & POLLOUT &&
                ::send(client.fd, &byte, 1, MSG_NOSIGNAL) == 1) {
                client.events = POLLIN;
            } else if (client.events == POLLIN && client.revents & POLLIN &&
                       ::recv(client.fd, &byte, 1, 0) == 1) {
                client.events = 0;
                ++echoed;
            }
        }
    }
    for (const pollfd& client : clients) {
        ::close(client.fd);
    }
    EXPECT_EQ(echoed, clients.size());
}

// Clients that send what the connection takes without reading, so that the server holds its
// reading with their bytes still queued, then half-close and read the echo: every client gets
// back exactly what it sent, compared by digest.
TEST_P(SockEcho, HalfClosingClientsOfAHeldServerGetTheWholeEcho) {
    RunningEcho echo(Options({"--quiet"}));
    struct Client {
        int s;
        std::size_t sent = 0, received = 0;
        std::uint64_t sentDigest = Fnv, receivedDigest = Fnv;
    };
    const auto digest = [](std::uint64_t& value, const char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            value = (value ^ std::uint8_t(bytes[i])) * 0x100000001B3;
        }
    };
    std::vector<Client> clients;
    std::string chunk(1 << 16, '\0');
    for (int c = 0; c < 24; ++c) {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        const int small = 16384;
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        const sockaddr_in address = LoopbackAddress(echo.port);
        ASSERT_EQ(::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::fcntl(s, F_SETFL, O_NONBLOCK);
        Client client{s};
        for (pollfd room{s, POLLOUT, 0}; ::poll(&room, 1, 200) == 1;) {
            for (std::size_t i = 0; i < chunk.size(); ++i) {
                chunk[i] = char(i * 31 + client.sent / 4093 + std::size_t(c));
            }
            const ssize_t n = ::send(s, chunk.data(), chunk.size(), MSG_NOSIGNAL);
            if (n > 0) {
                digest(client.sentDigest, chunk.data(), std::size_t(n));
                client.sent += std::size_t(n);
            }
        }
        ::shutdown(s, SHUT_WR);
        clients.push_back(client);
    }
    std::vector<pollfd> reading;
    for (const Client& client : clients) {
        reading.push_back({client.s, POLLIN, 0});
    }
    for (const QDeadlineTimer deadline(60000); !deadline.hasExpired();) {
        if (std::ranges::all_of(reading, [](const pollfd& r) { return r.fd < 0; })) {
            break;
        }
        ::poll(reading.data(), reading.size(), 100);
        for (std::size_t i = 0; i < reading.size(); ++i) {
            if (reading[i].fd < 0 || !(reading[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                continue;
            }
            const ssize_t n = ::recv(reading[i].fd, chunk.data(), chunk.size(), 0);
            if (n > 0) {
                digest(clients[i].receivedDigest, chunk.data(), std::size_t(n));
                clients[i].received += std::size_t(n);
            } else if (n == 0 || errno != EAGAIN) {
                reading[i].fd = -1;
            }
        }
    }
    for (const Client& client : clients) {
        EXPECT_EQ(client.received, client.sent);
        EXPECT_EQ(client.receivedDigest, client.sentDigest);
        ::close(client.s);
    }
}

// A server out of descriptors says why each connection waits and what follows, and accepts
// again once its peers leave.
TEST_P(SockEcho, RunningOutOfDescriptorsSaysWhyAndAcceptsAgainOnceFree) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the undefined-behaviour checker's first look at a type opens a descriptor";
#endif
    RunningEcho echo(Options(), [] {
        const rlimit few{16, 16};
        ::setrlimit(RLIMIT_NOFILE, &few);
    });
    std::vector<int> peers;
    for (int i = 0; i < 40; ++i) {
        peers.push_back(Connect(echo.port));
    }
    const QByteArray told = "Error: Error #10024 (WSAEMFILE): Too many open files; "
                            "accepting resumes once descriptors are free\n";
    EXPECT_TRUE(echo.WaitForOutput(told.chopped(1))) << echo.output.toStdString();
    // The layer asks again ten times a second; while no connection ends, the failure is not
    // told again.
    for (const QDeadlineTimer half(500); !half.hasExpired();) {
        echo.process.waitForReadyRead(int(half.remainingTime()));
    }
    echo.output += echo.process.readAllStandardOutput();
    EXPECT_EQ(echo.output.count(told), 1) << echo.output.toStdString();
    for (const int peer : peers) {
        ::close(peer);
    }
    const int again = ConnectWaiting(echo.port);
    EXPECT_EQ(Echo(again, "again"), "again");
    ::close(again);
}

INSTANTIATE_TEST_SUITE_P(Modes, SockEcho, testing::Values("", "--blocking"),
                         [](const auto& info) { return *info.param ? "Blocking" : "NonBlocking"; });

// Peers that send for seconds and never read are held back: the server does not take in, and
// queue the echo of, all they would send.
TEST(SockEchoCommand, PeersThatNeverReadKeepItsMemoryBounded) {
    RunningEcho echo({"--quiet"});
    const long before = ResidentKiB(echo.process.processId());
    std::vector<pollfd> peers;
    for (int i = 0; i < 4; ++i) {
        const int s = Connect(echo.port);
        ASSERT_GE(s, 0);
        ::fcntl(s, F_SETFL, O_NONBLOCK);
        peers.push_back({s, POLLOUT, 0});
    }
    const std::string chunk(1 << 16, 'm');
    std::size_t sent = 0;
    for (const QDeadlineTimer deadline(3000); !deadline.hasExpired();) {
        ::poll(peers.data(), peers.size(), 50);
        for (const pollfd& peer : peers) {
            if (peer.revents & POLLOUT) {
                sent += std::size_t(std::max<ssize_t>(
                    0, ::send(peer.fd, chunk.data(), chunk.size(), MSG_NOSIGNAL)));
            }
        }
    }
    const long grown = ResidentKiB(echo.process.processId()) - before;
    for (const pollfd& peer : peers) {
        ::close(peer.fd);
    }
    EXPECT_LT(grown, 64L << 10) << sent << " bytes sent, " << grown << " KiB grown";
}

// Thousands of idle connections to a blocking server, each on an accept thread, leave no more
// than a little of what they held resident once they have gone.
TEST(SockEchoCommand, ABlockingServerGivesBackWhatManyIdleConnectionsHeld) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers keep freed memory and thread state on purpose";
#endif
    constexpr int Idle = 3000;
    rlimit descriptors;
    ::getrlimit(RLIMIT_NOFILE, &descriptors);
    if (descriptors.rlim_max < Idle + 100) {
        GTEST_SKIP() << "needs " << Idle + 100 << " descriptors";
    }
    descriptors.rlim_cur = descriptors.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &descriptors);
    RunningEcho echo({"--blocking", "--quiet"});
    const qint64 pid = echo.process.processId();
    const auto open = [pid] { return OpenDescriptors(pid); };
    const auto before = open();
    const long resident = ResidentKiB(pid);
    std::vector<int> idle;
    for (int i = 0; i < Idle; ++i) {
        idle.push_back(Connect(echo.port));
    }
    const QDeadlineTimer accepted(30000);
    while (open() < before + Idle && !accepted.hasExpired()) {
        echo.process.waitForFinished(20);
    }
    for (const int s : idle) {
        ::close(s);
    }
    const QDeadlineTimer closed(20000);
    while (open() > before && !closed.hasExpired()) {
        echo.process.waitForFinished(20);
    }
    // The memory goes back once the server has been quiet for a moment.
    const QDeadlineTimer quiet(5000);
    while (ResidentKiB(pid) > resident + 2048 && !quiet.hasExpired()) {
        echo.process.waitForFinished(50);
    }
    EXPECT_LE(ResidentKiB(pid), resident + 2048) << "from " << resident << " KiB";
}

// Without threads to serve them, blocking connections end at once, and the server still stops
// on a signal. The server runs as an unprivileged user allowed no process beside itself.
TEST(SockEchoCommand, ConnectionsNoThreadServesEndAndTheServerStillStops) {
    // A leak checker needs a thread of its own at exit, which this server cannot have.
    const QByteArray checks = qgetenv("ASAN_OPTIONS");
    qputenv("ASAN_OPTIONS", checks + (checks.isEmpty() ? "" : ":") + "detect_leaks=0");
    RunningEcho echo({"--blocking"}, [] {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(3);
        }
        const rlimit one{1, 1};
        ::setrlimit(RLIMIT_NPROC, &one);
    });
    qputenv("ASAN_OPTIONS", checks);
    for (int i = 0; i < 3; ++i) {
        const int client = ConnectWaiting(echo.port);
        char byte;
        EXPECT_EQ(::recv(client, &byte, 1, 0), 0);
        ::close(client);
    }
    EXPECT_EQ(echo.Stop(SIGTERM), 0);
    EXPECT_TRUE(echo.output.contains("Error: Accept Thread Not Started ("))
        << echo.output.toStdString();
    EXPECT_FALSE(echo.output.contains("Lookup: ")); // only with --verbose
}

TEST(SockEchoCommand, InterruptEndsWithStatusZero) {
    RunningEcho echo({"--blocking", "--timeout", "1"});
    const int client = ConnectWaiting(echo.port);
    EXPECT_EQ(Echo(client, "x"), "x");
    EXPECT_EQ(echo.Stop(SIGINT), 0);
    ::close(client);
}

TEST(SockEchoCommand, APortInUseEndsWithStatusOneAndTheReason) {
    RunningEcho holder({});
    QProcess second;
    second.start(SOCKECHO_PATH, {"--port", QString::number(holder.port), "--quiet"});
    ASSERT_TRUE(second.waitForFinished(Deadline));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(second.readAllStandardError(),
              "Listen - Error Binding Socket: Address already in use "
              "(WSAEADDRINUSE); sockecho ends\n");
    EXPECT_EQ(second.readAllStandardOutput(), "");
}

TEST(SockEchoCommand, QuietWritesNothingAndBadCommandLinesAreRefused) {
    const std::pair<QStringList, QByteArray> cases[] = {
        {{}, "sockecho: --port is required\n"},
        {{"--port"}, "sockecho: --port needs a value\n"},
        {{"--port", "7", "--timeout", "soon"},
         "sockecho: 'soon' is not a valid number of seconds\n"},
        {{"--port", "7", "--loud"}, "sockecho: unknown option --loud\n"},
        {{"--port", "99999"}, "sockecho: '99999' is not a port from 1 to 65535\n"},
        {{"--port", "80x"}, "sockecho: '80x' is not a port from 1 to 65535\n"},
        {{"--port", "7", "--timeout", "0"}, "sockecho: '0' is not a valid number of seconds\n"},
        {{"--port", "7", "--backlog", "0"}, "sockecho: '0' is not a valid backlog\n"},
        {{"--port", "0x50"}, "sockecho: '0x50' is not a port from 1 to 65535\n"},
        {{"--port", "+80"}, "sockecho: '+80' is not a port from 1 to 65535\n"},
        {{"--port", "no-such-service"},
         "sockecho: 'no-such-service' is not a port from 1 to 65535\n"},
        {{"--port", "7", "--port", "8"}, "sockecho: --port is given twice\n"},
        {{"--port", "7", "--timeout", "-3"}, "sockecho: '-3' is not a valid number of seconds\n"},
    };
    for (const auto& [arguments, message] : cases) {
        QProcess process;
        process.start(SOCKECHO_PATH, arguments);
        ASSERT_TRUE(process.waitForFinished(Deadline));
        EXPECT_EQ(process.exitCode(), 2);
        EXPECT_TRUE(process.readAllStandardError().startsWith(message))
            << arguments.join(' ').toStdString();
    }
}

} // namespace zintra
