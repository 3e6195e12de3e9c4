#pragma once

#include "winsock/WinSock.h"

#include <QThread>
#include <functional>
#include <future>
#include <gmock/gmock.h>
#include <string>
#include <utility>
#include <vector>

namespace zintra {

// A scripted WinSock layer: tests say what each call returns.
class MockWinSock : public WinSock {
public:
    MOCK_METHOD(int, WSAStartup, (std::uint16_t, WSAData&), (override));
    MOCK_METHOD(int, WSACleanup, (), (override));
    MOCK_METHOD(int, WSAGetLastError, (), (override));
    MOCK_METHOD(TSocket, socket, (int, int, int), (override));
    MOCK_METHOD(int, bind, (TSocket, const SockAddrIn&, int), (override));
    MOCK_METHOD(int, listen, (TSocket, int), (override));
    MOCK_METHOD(TSocket, accept, (TSocket, SockAddrIn*, int*), (override));
    MOCK_METHOD(int, connect, (TSocket, const SockAddrIn&, int), (override));
    MOCK_METHOD(int, shutdown, (TSocket, int), (override));
    MOCK_METHOD(int, closesocket, (TSocket), (override));
    MOCK_METHOD(int, ioctlsocket, (TSocket, std::uint32_t, std::uint32_t*), (override));
    MOCK_METHOD(int, send, (TSocket, const char*, int, int), (override));
    MOCK_METHOD(int, recv, (TSocket, char*, int, int), (override));
    MOCK_METHOD(int, sendto, (TSocket, const char*, int, int, const SockAddrIn*, int), (override));
    MOCK_METHOD(int, recvfrom, (TSocket, char*, int, int, SockAddrIn*, int*), (override));
    MOCK_METHOD(int, select, (int, FdSet*, FdSet*, FdSet*, const TimeVal*), (override));
    MOCK_METHOD(int, WSAAsyncSelect, (TSocket, QObject*, unsigned, long), (override));
    MOCK_METHOD(std::optional<HostEntry>, gethostbyname, (const std::string&), (override));
    MOCK_METHOD(std::optional<ServEntry>, getservbyname, (const std::string&, const std::string&),
                (override));
    MOCK_METHOD(std::uint32_t, inet_addr, (const std::string&), (override));
    MOCK_METHOD(std::string, inet_ntoa, (std::uint32_t), (override));
};

// Puts a layer in place for the life of a test.
class ScopedLayer {
public:
    explicit ScopedLayer(WinSock& layer) : previous_(InstallWinSockLayer(layer)) {}
    ~ScopedLayer() { InstallWinSockLayer(previous_); }
    ScopedLayer(const ScopedLayer&) = delete;
    ScopedLayer& operator=(const ScopedLayer&) = delete;

private:
    WinSock& previous_;
};

// A POSIX descriptor closed with its owner.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset();

private:
    int fd_;
};

// Both ends of a TCP connection over 127.0.0.1, blocking.
struct TcpPair {
    Fd client;
    Fd server;
};
TcpPair MakeTcpPair();

// A UDP socket bound to an ephemeral port of 127.0.0.1, and that port.
Fd BoundUdpSocket(std::uint16_t& port);
// The local port of a bound socket.
std::uint16_t LocalPort(int fd);

// Every byte value in turn, repeated to the given length.
std::string AllByteValues(std::size_t length);
// Reads from fd until the peer closes; returns all bytes.
std::string ReadUntilClosed(int fd);
// Writes all bytes to fd.
void WriteAll(int fd, std::string_view bytes);

// A blocking client connected to port on 127.0.0.1.
Fd ConnectTo(std::uint16_t port);
// Ends the connection with a reset instead of an orderly close.
void ResetAndClose(Fd& fd);

// Runs the event loop until done() holds or the deadline passes; returns done().
bool PumpUntil(const std::function<bool()>& done, int deadlineMs = 10000);
// Runs the event loop for a while, for checks that nothing more arrives.
void PumpFor(int ms);

// The text of the exception an action raises, or "no failure".
std::string FailureOf(const std::function<void()>& action);

// CPU time the whole process has used so far, in seconds.
double ProcessCpuSeconds();

// A thread whose event loop is known to exist before anything is posted to it, told through a
// promise, which the race detector sees (it cannot see Qt's own waits).
class RunningThread : public QThread {
public:
    RunningThread() {
        start();
        running_.get_future().wait();
    }
    ~RunningThread() override {
        quit();
        wait();
    }

private:
    void run() override {
        running_.set_value();
        exec();
    }

    std::promise<void> running_;
};

} // namespace zintra
