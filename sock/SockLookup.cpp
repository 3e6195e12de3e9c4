#include "base/IntegerText.h"
#include "sock/HostCache.h"
#include "sock/Sock.h"

#include <optional>

namespace zintra {

namespace {

bool StartsWithDigit(const std::string& name) {
    return !name.empty() && name[0] >= '0' && name[0] <= '9';
}

} // namespace

std::uint32_t TSock::LookupHost(const std::string& name) {
    if (name.empty()) {
        return WsInaddrAny;
    }
    const Lifetime::Watch alive = lifetime_.Observe();
    DoInfo(siLookUp, "Lookup Of Host " + name);
    if (!alive.Alive()) {
        return WsInaddrAny;
    }
    WinSock& layer = WinSockLayer();
    if (StartsWithDigit(name)) {
        return layer.inet_addr(name);
    }
    if (const std::optional<std::uint32_t> cached = HostCache().Find(name)) {
        return *cached;
    }
    const std::optional<HostEntry> host = layer.gethostbyname(name);
    if (!host || host->h_addr_list.empty()) {
        throw ESockException("Host Lookup - Could Not Find Host Entry");
    }
    const std::uint32_t address = host->h_addr_list.front();
    HostCache().Add(name, address);
    return address;
}

// The report's handler may destroy the component, and the name with it when it is the
// component's: a look-up then ends at once, and its caller looks whether the component is there.
std::uint16_t TSock::LookupPort(const std::string& name) {
    const Lifetime::Watch alive = lifetime_.Observe();
    DoInfo(siLookUp, "Lookup Of Port " + name);
    if (!alive.Alive()) {
        return 0;
    }
    if (StartsWithDigit(name)) {
        return NetShort(std::uint16_t(zintra::StrToInt(name)));
    }
    // An empty name names no service.
    const std::optional<ServEntry> service =
        name.empty() ? std::nullopt
                     : WinSockLayer().getservbyname(name, socketType_ == stStream ? "tcp" : "udp");
    if (!service) {
        throw ESockException("Port Lookup - Could Not Find Service Entry");
    }
    return service->s_port;
}

} // namespace zintra
