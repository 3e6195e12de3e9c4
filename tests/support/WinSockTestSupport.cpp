#include "tests/support/WinSockTestSupport.h"

#include "tests/support/LoopbackClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zintra {

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) {
        Reset();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void Fd::Reset() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
}

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

} // namespace

std::uint16_t LocalPort(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    Check(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0, "getsockname");
    return ntohs(address.sin_port);
}

TcpPair MakeTcpPair() {
    Fd listener(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address = LoopbackAddress(0);
    Check(::bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0,
          "bind");
    Check(::listen(listener.Get(), 1) == 0, "listen");
    address.sin_port = htons(LocalPort(listener.Get()));
    TcpPair pair{Fd(::socket(AF_INET, SOCK_STREAM, 0)), Fd()};
    Check(::connect(pair.client.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0,
          "connect");
    pair.server = Fd(::accept(listener.Get(), nullptr, nullptr));
    Check(pair.server.Get() >= 0, "accept");
    return pair;
}

Fd BoundUdpSocket(std::uint16_t& port) {
    Fd s(::socket(AF_INET, SOCK_DGRAM, 0));
    sockaddr_in address = LoopbackAddress(0);
    Check(::bind(s.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0, "bind");
    port = LocalPort(s.Get());
    return s;
}

std::string AllByteValues(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = char(i % 256);
    }
    return bytes;
}

std::string ReadUntilClosed(int fd) {
    std::string all;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return all;
        }
        all.append(buffer, std::size_t(n));
    }
}

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        Check(n > 0, "send");
        bytes.remove_prefix(std::size_t(n));
    }
}

Fd ConnectTo(std::uint16_t port) {
    Fd client(Connect(port));
    Check(client.Get() >= 0, "connect");
    return client;
}

void ResetAndClose(Fd& fd) {
    const linger abort{1, 0};
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    fd.Reset();
}

bool PumpUntil(const std::function<bool()>& done, int deadlineMs) {
    const QDeadlineTimer deadline(deadlineMs);
    QTimer tick; // wakes the waiting loop now and then to look at the deadline
    tick.start(10);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return done();
}

void PumpFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

std::string FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return "no failure";
}

double ProcessCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace zintra
