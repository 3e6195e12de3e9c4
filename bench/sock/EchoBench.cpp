// sockecho, non-blocking and blocking, against the floor (echo_floor on plain poll), a thread
// per connection (echo_threads) and the Qt Network echo (qt_echo), with one load generator: bulk
// throughput with 1 client and with 50 clients, and round trips of 100-byte messages with 10
// clients. Every figure is also given as a ratio of the floor's and of the Qt echo's.
//   echo_bench                     the full table
//   echo_bench --before DIR        adds the rows of the sockecho built in DIR, to compare builds
//   echo_bench --port PORT [LOAD]  only loads an echo server already listening on PORT, with
//                                  every load or one (bulk1, bulk50, trips), for a profiler
//   echo_bench --idle [--before DIR]  round trips while 0, 1 000 and 10 000 idle connections are
//                                  held, the time to accept 10 000 connects, and the resident
//                                  memory and CPU of an idle connection, for the epoll floor,
//                                  the Qt echo and the non-blocking sockecho
//   echo_bench --fair [--before DIR]  round trips of 10 clients alone and beside 2 bulk streams,
//                                  and the time to accept 2 000 connects alone and beside 16,
//                                  for the epoll floor and the non-blocking sockecho

#include "tests/support/LoopbackClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zintra {

namespace {

using Clock = std::chrono::steady_clock;

// Each figure is the best of this many runs.
constexpr int Runs = 5;

// A connected client that sends small messages at once.
int ConnectNoDelay(std::uint16_t port) {
    const int s = Connect(port);
    const int on = 1;
    if (s >= 0) {
        ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    return s;
}

std::vector<int> Clients(std::uint16_t port, int count) {
    std::vector<int> fds;
    for (int i = 0; i < count; ++i) {
        fds.push_back(ConnectNoDelay(port));
    }
    return fds;
}

void CloseAll(const std::vector<int>& fds) {
    for (int fd : fds) {
        ::close(fd);
    }
}

// Each client sends its bytes and reads the echo at the same time; MB/s echoed.
double Bulk(std::uint16_t port, int clients, std::size_t bytesPerClient) {
    const std::vector<int> fds = Clients(port, clients);
    const std::string chunk(65536, 'e');
    std::vector<std::size_t> sent(fds.size()), received(fds.size());
    std::vector<char> buffer(65536);
    const auto start = Clock::now();
    for (std::size_t done = 0; done < fds.size();) {
        std::vector<pollfd> polls;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            const bool reading = received[i] < bytesPerClient;
            const bool sending = sent[i] < bytesPerClient;
            polls.push_back({fds[i], short(reading ? POLLIN | (sending ? POLLOUT : 0) : 0), 0});
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
                const ssize_t n = ::recv(fds[i], buffer.data(), buffer.size(), MSG_DONTWAIT);
                if (n == 0) {
                    CloseAll(fds);
                    return 0;
                }
                if (n > 0 && (received[i] += std::size_t(n)) == bytesPerClient) {
                    ++done;
                }
            }
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    CloseAll(fds);
    return double(bytesPerClient) * clients / seconds / 1e6;
}

// Each client keeps one 100-byte message under way and sends the next once its echo is back;
// round trips per second, all clients together.
double RoundTrips(std::uint16_t port, int clients, std::chrono::milliseconds duration) {
    constexpr std::size_t MessageSize = 100;
    const std::vector<int> fds = Clients(port, clients);
    const std::string message(MessageSize, 'r');
    std::vector<std::size_t> echoed(fds.size(), 0);
    char buffer[MessageSize];
    long trips = 0;
    std::vector<pollfd> polls;
    for (int fd : fds) {
        ::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
        polls.push_back({fd, POLLIN, 0});
    }
    const auto start = Clock::now();
    while (Clock::now() - start < duration) {
        ::poll(polls.data(), polls.size(), 1000);
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (!(polls[i].revents & POLLIN)) {
                continue;
            }
            const ssize_t n = ::recv(fds[i], buffer, MessageSize - echoed[i], MSG_DONTWAIT);
            if (n == 0) {
                CloseAll(fds);
                return 0;
            }
            if (n > 0 && (echoed[i] += std::size_t(n)) == MessageSize) {
                echoed[i] = 0;
                ++trips;
                ::send(fds[i], message.data(), message.size(), MSG_NOSIGNAL);
            }
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    CloseAll(fds);
    return double(trips) / seconds;
}

struct Figures {
    double bulk1 = 0, bulk50 = 0, trips = 0;
};

// One run of the loads (all, or the one named), each figure kept when it beats the best so far.
void LoadOnce(std::uint16_t port, Figures& best, const QString& only = {}) {
    if (only.isEmpty() || only == "bulk1") {
        best.bulk1 = std::max(best.bulk1, Bulk(port, 1, 300'000'000));
    }
    if (only.isEmpty() || only == "bulk50") {
        best.bulk50 = std::max(best.bulk50, Bulk(port, 50, 6'000'000));
    }
    if (only.isEmpty() || only == "trips") {
        best.trips = std::max(best.trips, RoundTrips(port, 10, std::chrono::milliseconds(1000)));
    }
}

// An echo server of the table, listening on a port of its own while the benchmark runs.
class Server {
public:
    Server(std::string name, const QString& program, QStringList arguments, bool portAsOption)
        : name_(std::move(name)), port_(FreePort()) {
        arguments = portAsOption ? QStringList{"--port", QString::number(port_)} + arguments
                                 : arguments + QStringList{QString::number(port_)};
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, arguments);
        if (!process_.waitForStarted()) {
            std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
            return;
        }
        int probe;
        while ((probe = ConnectNoDelay(port_)) < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::close(probe);
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;
    ~Server() {
        process_.terminate();
        process_.waitForFinished();
    }

    const std::string& Name() const { return name_; }
    bool Running() const { return process_.state() == QProcess::Running; }
    std::uint16_t Port() const { return port_; }
    qint64 Pid() const { return process_.processId(); }
    Figures& Best() { return best_; }

private:
    std::string name_;
    std::uint16_t port_;
    QProcess process_;
    Figures best_;
};

void PrintTable(std::vector<std::unique_ptr<Server>>& servers) {
    const Figures& floor = servers[0]->Best();
    const Figures& qt = servers[2]->Best();
    std::printf("%-30s %22s %22s %22s\n", "", "1 client bulk", "50 clients bulk",
                "10 x 100 B round trips");
    std::printf("%-30s %22s %22s %22s\n", "server", "MB/s  floor   Qt", "MB/s  floor   Qt",
                "1/s  floor   Qt");
    const auto cell = [](double value, double floorValue, double qtValue) {
        std::printf(" %8.0f %6.2f %6.2f", value, floorValue > 0 ? value / floorValue : 0,
                    qtValue > 0 ? value / qtValue : 0);
    };
    for (const auto& server : servers) {
        const Figures& f = server->Best();
        std::printf("%-30s", server->Name().c_str());
        cell(f.bulk1, floor.bulk1, qt.bulk1);
        cell(f.bulk50, floor.bulk50, qt.bulk50);
        cell(f.trips, floor.trips, qt.trips);
        std::printf("\n");
    }
    std::printf("targets: sockecho at least the Qt echo and 0.8 of the floor on every load; "
                "--blocking at least 0.8 of the floor\n");
}

// The idle-connections load: what holding many idle connections costs the active ones.

// Held idle connections need a descriptor each, in the load generator and in every server it
// starts, which inherit the limit.
void RaiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// A line of /proc/PID/status as a number (VmRSS in KB).
long StatusField(qint64 pid, const QByteArray& field) {
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ":")) {
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLong();
        }
    }
    return 0;
}

long OpenDescriptors(qint64 pid) {
    return long(QDir(QString("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot).size());
}

// CPU seconds the process has used (user and system).
double CpuSeconds(qint64 pid) {
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return double(fields.value(11).toLong() + fields.value(12).toLong()) / ::sysconf(_SC_CLK_TCK);
}

// Waits (at most a minute) until the server holds the count of descriptors; the seconds it took.
double UntilDescriptors(qint64 pid, long count, Clock::time_point start) {
    const auto deadline = start + std::chrono::seconds(60);
    while (OpenDescriptors(pid) < count && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct IdleFigures {
    double trips[3] = {0, 0, 0}; // with 0, 1 000 and 10 000 idle connections
    double acceptSeconds = 0;    // 10 000 connects accepted in
    double kbPerConnection = 0;  // resident memory per idle connection
    double idleCpuPercent = 0;   // while 10 000 connections stay idle
};

constexpr int IdleCounts[] = {0, 1000, 10000};
constexpr std::chrono::milliseconds TripTime(1000);

IdleFigures IdleLoad(Server& server) {
    IdleFigures f;
    const qint64 pid = server.Pid();
    const long base = OpenDescriptors(pid);
    f.trips[0] = RoundTrips(server.Port(), 10, TripTime);
    const long rssBefore = StatusField(pid, "VmRSS");
    for (int i = 1; i < 3; ++i) {
        const int count = IdleCounts[i];
        const auto start = Clock::now();
        // A server that falls behind fills its backlog, and connects wait for retries: the
        // load stops connecting after a minute.
        std::vector<int> idle;
        while (int(idle.size()) < count && Clock::now() - start < std::chrono::seconds(60)) {
            idle.push_back(ConnectNoDelay(server.Port()));
        }
        const double seconds = UntilDescriptors(pid, base + count, start);
        if (count == 10000) {
            f.acceptSeconds = seconds;
            f.kbPerConnection = double(StatusField(pid, "VmRSS") - rssBefore) / count;
            const double cpu = CpuSeconds(pid);
            std::this_thread::sleep_for(std::chrono::seconds(1));
            f.idleCpuPercent = (CpuSeconds(pid) - cpu) * 100;
        }
        f.trips[i] = RoundTrips(server.Port(), 10, TripTime);
        CloseAll(idle);
        // The next count starts once the server has let these go.
        while (OpenDescriptors(pid) > base && Clock::now() - start < std::chrono::seconds(90)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    return f;
}

void IdleTable(const QString& before) {
    RaiseDescriptorLimit();
    std::vector<std::unique_ptr<Server>> servers;
    servers.push_back(
        std::make_unique<Server>("floor (epoll)", ECHO_FLOOR_PATH, QStringList{"--epoll"}, false));
    servers.push_back(
        std::make_unique<Server>("Qt echo (QTcpServer)", QT_ECHO_PATH, QStringList{}, false));
    const QStringList options{"--quiet", "--backlog", "128"};
    servers.push_back(std::make_unique<Server>("sockecho", SOCKECHO_PATH, options, true));
    if (!before.isEmpty()) {
        servers.push_back(
            std::make_unique<Server>("sockecho (before)", before + "/sockecho", options, true));
    }
    std::printf("%-24s %9s %9s %9s %8s %8s %9s %8s %10s\n", "server", "0 idle", "1000", "10000",
                "10k/0", "10k/flr", "accept s", "KB/conn", "idle CPU %");
    double floorTrips = 0;
    for (const auto& server : servers) {
        if (!server->Running()) {
            continue;
        }
        const IdleFigures f = IdleLoad(*server);
        floorTrips = floorTrips > 0 ? floorTrips : f.trips[2];
        std::printf("%-24s %9.0f %9.0f %9.0f %8.2f %8.2f %9.2f %8.2f %10.1f\n",
                    server->Name().c_str(), f.trips[0], f.trips[1], f.trips[2],
                    f.trips[0] > 0 ? f.trips[2] / f.trips[0] : 0,
                    floorTrips > 0 ? f.trips[2] / floorTrips : 0, f.acceptSeconds,
                    f.kbPerConnection, f.idleCpuPercent);
        std::fflush(stdout);
    }
}

// The fairness loads: what bulk streams beside them cost round trips and accepts.

// Streams that echo as fast as they can until stopped, from a thread of their own.
class BulkBeside {
public:
    BulkBeside(std::uint16_t port, int streams) : fds_(Clients(port, streams)) {
        thread_ = std::thread([this] { Run(); });
    }
    BulkBeside(const BulkBeside&) = delete;
    BulkBeside& operator=(const BulkBeside&) = delete;
    ~BulkBeside() {
        stop_ = true;
        thread_.join();
        CloseAll(fds_);
    }

private:
    void Run() {
        const std::string chunk(65536, 'B');
        std::vector<char> buffer(65536);
        std::vector<pollfd> polls;
        for (int fd : fds_) {
            polls.push_back({fd, POLLIN | POLLOUT, 0});
        }
        while (!stop_) {
            ::poll(polls.data(), polls.size(), 100);
            for (const pollfd& p : polls) {
                if (p.revents & POLLOUT) {
                    ::send(p.fd, chunk.data(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
                }
                if (p.revents & POLLIN) {
                    ::recv(p.fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
                }
            }
        }
    }

    std::vector<int> fds_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Seconds until the server holds count more connections than base, counted once it has let go
// of those an earlier load closed.
double AcceptTime(Server& server, int count, long base) {
    const auto settle = Clock::now() + std::chrono::seconds(60);
    while (OpenDescriptors(server.Pid()) > base && Clock::now() < settle) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const auto start = Clock::now();
    std::vector<int> clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(Connect(server.Port()));
    }
    const double seconds = UntilDescriptors(server.Pid(), base + count, start);
    CloseAll(clients);
    return seconds;
}

// The fairness loads take long: fewer runs.
constexpr int FairRuns = 3;

struct FairFigures {
    double trips = 0, tripsBeside = 0;     // 10 clients' round trips/s alone, beside 2 streams
    double accepts = 0, acceptsBeside = 0; // seconds for 2 000 connects alone, beside 16
};

void FairTable(const QString& before) {
    RaiseDescriptorLimit();
    std::vector<std::unique_ptr<Server>> servers;
    servers.push_back(
        std::make_unique<Server>("floor (epoll)", ECHO_FLOOR_PATH, QStringList{"--epoll"}, false));
    const QStringList options{"--quiet", "--backlog", "128"};
    servers.push_back(std::make_unique<Server>("sockecho", SOCKECHO_PATH, options, true));
    if (!before.isEmpty()) {
        servers.push_back(
            std::make_unique<Server>("sockecho (before)", before + "/sockecho", options, true));
    }
    std::vector<FairFigures> figures(servers.size());
    std::vector<long> rest;
    for (const auto& server : servers) {
        rest.push_back(OpenDescriptors(server->Pid()));
    }
    // Every server takes its turn in every run; the best of the runs counts.
    for (int run = 0; run < FairRuns; ++run) {
        for (std::size_t i = 0; i < servers.size(); ++i) {
            Server& server = *servers[i];
            FairFigures& f = figures[i];
            f.trips = std::max(f.trips, RoundTrips(server.Port(), 10, TripTime));
            {
                const BulkBeside bulk(server.Port(), 2);
                f.tripsBeside = std::max(f.tripsBeside, RoundTrips(server.Port(), 10, TripTime));
            }
            const double alone = AcceptTime(server, 2000, rest[i]);
            f.accepts = run == 0 ? alone : std::min(f.accepts, alone);
            const BulkBeside bulk(server.Port(), 16);
            const double beside = AcceptTime(server, 2000, rest[i] + 16);
            f.acceptsBeside = run == 0 ? beside : std::min(f.acceptsBeside, beside);
            std::fprintf(stderr,
                         "run %d %s: trips %.0f beside %.0f, accepts %.2f s beside %.2f s\n",
                         run + 1, server.Name().c_str(), f.trips, f.tripsBeside, alone, beside);
        }
    }
    std::printf("%-20s %10s %10s %7s %9s %9s %9s %9s\n", "server", "trips/s", "beside", "share",
                "of floor", "accept s", "beside", "of floor");
    const FairFigures& floor = figures[0];
    const double floorShare = floor.tripsBeside / std::max(floor.trips, 1.0);
    for (std::size_t i = 0; i < servers.size(); ++i) {
        const FairFigures& f = figures[i];
        const double share = f.tripsBeside / std::max(f.trips, 1.0);
        std::printf("%-20s %10.0f %10.0f %7.2f %9.2f %9.2f %9.2f %9.2f\n",
                    servers[i]->Name().c_str(), f.trips, f.tripsBeside, share,
                    share / std::max(floorShare, 1e-9), f.accepts, f.acceptsBeside,
                    f.acceptsBeside / std::max(floor.acceptsBeside, 1e-9));
    }
    std::printf("targets: round trips beside bulk at least 0.8 of the floor's share; accepts "
                "beside bulk within 2x the floor's time\n");
}

} // namespace

} // namespace zintra

int main(int argc, char** argv) {
    using namespace zintra;
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if ((arguments.size() == 2 || arguments.size() == 3) && arguments[0] == "--port") {
        Figures f;
        for (int run = 0; run < Runs; ++run) {
            LoadOnce(std::uint16_t(arguments[1].toUShort()), f, arguments.value(2));
        }
        std::printf("1 client %.0f MB/s, 50 clients %.0f MB/s, %.0f round trips/s\n", f.bulk1,
                    f.bulk50, f.trips);
        return 0;
    }
    if (!arguments.isEmpty() && arguments[0] == "--fair") {
        FairTable(arguments.size() == 3 && arguments[1] == "--before" ? arguments[2] : QString());
        return 0;
    }
    if (!arguments.isEmpty() && arguments[0] == "--idle") {
        IdleTable(arguments.size() == 3 && arguments[1] == "--before" ? arguments[2] : QString());
        return 0;
    }
    std::vector<std::unique_ptr<Server>> servers;
    servers.push_back(
        std::make_unique<Server>("floor (poll)", ECHO_FLOOR_PATH, QStringList{}, false));
    servers.push_back(
        std::make_unique<Server>("threads (blocking)", ECHO_THREADS_PATH, QStringList{}, false));
    servers.push_back(
        std::make_unique<Server>("Qt echo (QTcpServer)", QT_ECHO_PATH, QStringList{}, false));
    const auto addSockecho = [&servers](const std::string& suffix, const QString& program) {
        servers.push_back(
            std::make_unique<Server>("sockecho" + suffix, program, QStringList{"--quiet"}, true));
        servers.push_back(std::make_unique<Server>("sockecho --blocking" + suffix, program,
                                                   QStringList{"--quiet", "--blocking"}, true));
    };
    addSockecho("", SOCKECHO_PATH);
    if (arguments.size() == 2 && arguments[0] == "--before") {
        addSockecho(" (before)", arguments[1] + "/sockecho");
    }
    // Every server takes its turn in every run, so that a slow spell of a shared machine does
    // not fall on one of them alone.
    for (int run = 0; run < Runs; ++run) {
        for (const auto& server : servers) {
            if (server->Running()) {
                LoadOnce(server->Port(), server->Best());
            }
        }
    }
    PrintTable(servers);
    return 0;
}
