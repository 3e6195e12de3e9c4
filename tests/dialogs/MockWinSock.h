#pragma once

#include "WinSock.h"

#include <gmock/gmock.h>

// A WinSock layer that expects nothing: as a StrictMock, any call fails the test.
class MockWinSock : public WinSock {
public:
    MOCK_METHOD(int, WSAStartup, (std::uint16_t, WSAData&), (override));
    MOCK_METHOD(int, WSACleanup, (), (override));
    MOCK_METHOD(int, WSAGetLastError, (), (override));
    MOCK_METHOD(TSocket, socket, (int, int, int), (override));
    MOCK_METHOD(int, bind, (TSocket, const SockAddrIn&, int), (override));
    MOCK_METHOD(int, listen, (TSocket, int), (override));
    MOCK_METHOD(TSocket, accept, (TSocket, SockAddrIn*, int*), (override));
    MOCK_METHOD(int, closesocket, (TSocket), (override));
    MOCK_METHOD(int, ioctlsocket, (TSocket, std::uint32_t, std::uint32_t*), (override));
    MOCK_METHOD(int, send, (TSocket, const char*, int, int), (override));
    MOCK_METHOD(int, recv, (TSocket, char*, int, int), (override));
    MOCK_METHOD(int, sendto, (TSocket, const char*, int, int, const SockAddrIn*, int), (override));
    MOCK_METHOD(int, recvfrom, (TSocket, char*, int, int, SockAddrIn*, int*), (override));
    MOCK_METHOD(int, select, (int, FdSet*, FdSet*, FdSet*, const TimeVal*), (override));
    MOCK_METHOD(std::optional<HostEntry>, gethostbyname, (const std::string&), (override));
    MOCK_METHOD(std::optional<ServEntry>, getservbyname, (const std::string&, const std::string&),
                (override));
    MOCK_METHOD(std::uint32_t, inet_addr, (const std::string&), (override));
    MOCK_METHOD(std::string, inet_ntoa, (std::uint32_t), (override));
};

// Installs a layer for the lifetime of a test, then puts the previous one back.
class ScopedWinSockLayer {
public:
    explicit ScopedWinSockLayer(WinSock& layer) : previous(InstallWinSockLayer(layer)) {}
    ~ScopedWinSockLayer() { InstallWinSockLayer(previous); }
    ScopedWinSockLayer(const ScopedWinSockLayer&) = delete;
    ScopedWinSockLayer& operator=(const ScopedWinSockLayer&) = delete;

private:
    WinSock& previous;
};
