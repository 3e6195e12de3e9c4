#include "winsock/PosixCalls.h"
#include "winsock/PosixWinSock.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <unistd.h>
#include <vector>

namespace zintra {

using posix::Fail;
using posix::FailFromErrno;

namespace {

bool HasZeroByte(const std::string& text) {
    return text.find('\0') != std::string::npos;
}

int HostErrorFromGai(int gaiError) {
    switch (gaiError) {
    case EAI_NONAME:
        return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return WSATRY_AGAIN;
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        return WSANO_DATA;
    case EAI_MEMORY:
        return WSAENOBUFS;
    case EAI_SYSTEM:
        return WinSockErrorFromErrno(errno);
    default:
        return WSANO_RECOVERY;
    }
}

} // namespace

std::optional<HostEntry> PosixWinSock::gethostbyname(const std::string& name) {
    if (!Started()) {
        return std::nullopt;
    }
    if (HasZeroByte(name)) {
        Fail(WSAHOST_NOT_FOUND);
        return std::nullopt;
    }
    std::string host = name;
    if (host.empty()) {
        char local[256] = {};
        if (::gethostname(local, sizeof local - 1) < 0) {
            FailFromErrno();
            return std::nullopt;
        }
        host = local;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(host.c_str(), nullptr, &hints, &found); error != 0) {
        Fail(HostErrorFromGai(error));
        return std::nullopt;
    }
    HostEntry entry;
    entry.h_name = found->ai_canonname ? found->ai_canonname : host;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        const auto* address = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        if (std::find(entry.h_addr_list.begin(), entry.h_addr_list.end(),
                      address->sin_addr.s_addr) == entry.h_addr_list.end()) {
            entry.h_addr_list.push_back(address->sin_addr.s_addr);
        }
    }
    ::freeaddrinfo(found);
    return entry;
}

std::optional<ServEntry> PosixWinSock::getservbyname(const std::string& name,
                                                     const std::string& proto) {
    if (!Started()) {
        return std::nullopt;
    }
    if (HasZeroByte(name) || HasZeroByte(proto)) {
        Fail(WSANO_DATA);
        return std::nullopt;
    }
    std::vector<char> buffer(1024);
    servent entry{};
    servent* found = nullptr;
    int error;
    while ((error = ::getservbyname_r(name.c_str(), proto.empty() ? nullptr : proto.c_str(), &entry,
                                      buffer.data(), buffer.size(), &found)) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (error != 0 || !found) {
        Fail(WSANO_DATA);
        return std::nullopt;
    }
    return ServEntry{found->s_name, std::uint16_t(found->s_port), found->s_proto};
}

std::uint32_t PosixWinSock::inet_addr(const std::string& cp) {
    if (HasZeroByte(cp)) {
        return WsInaddrNone;
    }
    return ::inet_addr(cp.c_str());
}

std::string PosixWinSock::inet_ntoa(std::uint32_t in) {
    std::uint8_t octets[4];
    std::memcpy(octets, &in, sizeof octets);
    return std::to_string(octets[0]) + '.' + std::to_string(octets[1]) + '.' +
           std::to_string(octets[2]) + '.' + std::to_string(octets[3]);
}

} // namespace zintra
