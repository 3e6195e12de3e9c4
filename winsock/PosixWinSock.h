#pragma once

#include "winsock/AsyncSelections.h"
#include "winsock/ReadAhead.h"
#include "winsock/WinSock.h"

#include <atomic>
#include <sys/types.h>

namespace zintra {

// WinSock 1.1 on POSIX sockets: WinSock error numbers, no SIGPIPE, blocking calls that
// a signal does not interrupt, thread-safe look-ups, and the classic address texts.
class PosixWinSock : public WinSock {
public:
    int WSAStartup(std::uint16_t versionRequested, WSAData& data) override;
    int WSACleanup() override;
    int WSAGetLastError() override;

    TSocket socket(int af, int type, int protocol) override;
    int bind(TSocket s, const SockAddrIn& name, int nameLen) override;
    int listen(TSocket s, int backlog) override;
    TSocket accept(TSocket s, SockAddrIn* addr, int* addrLen) override;
    int connect(TSocket s, const SockAddrIn& name, int nameLen) override;
    int shutdown(TSocket s, int how) override;
    int closesocket(TSocket s) override;
    int ioctlsocket(TSocket s, std::uint32_t cmd, std::uint32_t* argp) override;

    int send(TSocket s, const char* buf, int len, int flags) override;
    int recv(TSocket s, char* buf, int len, int flags) override;
    int sendto(TSocket s, const char* buf, int len, int flags, const SockAddrIn* to,
               int toLen) override;
    int recvfrom(TSocket s, char* buf, int len, int flags, SockAddrIn* from, int* fromLen) override;
    int select(int nfds, FdSet* readfds, FdSet* writefds, FdSet* exceptfds,
               const TimeVal* timeout) override;

    int WSAAsyncSelect(TSocket s, QObject* target, unsigned msg, long mask) override;

    std::optional<HostEntry> gethostbyname(const std::string& name) override;
    std::optional<ServEntry> getservbyname(const std::string& name,
                                           const std::string& proto) override;
    std::uint32_t inet_addr(const std::string& cp) override;
    std::string inet_ntoa(std::uint32_t in) override;

private:
    bool Started();
    int Sent(TSocket s, int len, ssize_t result);
    int TakeReadAhead(TSocket s, char* buf, int len, int flags);

    std::atomic<int> startups_{0};
    ReadAhead readAhead_;
    AsyncSelections selections_{readAhead_};
};

// The WinSock number for a POSIX errno value.
int WinSockErrorFromErrno(int errnoValue);

} // namespace zintra
