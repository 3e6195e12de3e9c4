#include "HostCache.h"
#include "Sock.h"

#include <optional>

namespace {

bool StartsWithDigit(const std::string& name) {
    return !name.empty() && name[0] >= '0' && name[0] <= '9';
}

std::optional<int> HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return std::nullopt;
}

// A digit-led port text as an integer: decimal digits that fit a signed 32-bit integer, or
// up to 8 hexadecimal digits after 0x or 0X, taken as a 32-bit pattern; nothing may follow.
std::int32_t PortNumber(const std::string& text) {
    const EConvertError failure("'" + text + "' is not a valid integer value");
    const bool hex = text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string_view digits = std::string_view(text).substr(hex ? 2 : 0);
    if (digits.empty() || (hex && digits.size() > 8))
        throw failure;
    std::int64_t value = 0;
    for (char c : digits) {
        const std::optional<int> digit = HexDigit(c);
        if (!digit || (!hex && *digit > 9))
            throw failure;
        value = value * (hex ? 16 : 10) + *digit;
        if (!hex && value > INT32_MAX)
            throw failure;
    }
    return std::int32_t(std::uint32_t(value));
}

} // namespace

std::uint32_t TSock::LookupHost(const std::string& name) {
    if (name.empty())
        return WsInaddrAny;
    DoInfo(siLookUp, "Lookup Of Host " + name);
    WinSock& layer = WinSockLayer();
    if (StartsWithDigit(name))
        return layer.inet_addr(name);
    if (const std::optional<std::uint32_t> cached = HostCache().Find(name))
        return *cached;
    const std::optional<HostEntry> host = layer.gethostbyname(name);
    if (!host || host->h_addr_list.empty())
        throw ESockException("Host Lookup - Could Not Find Host Entry");
    const std::uint32_t address = host->h_addr_list.front();
    HostCache().Add(name, address);
    return address;
}

std::uint16_t TSock::LookupPort(const std::string& name) {
    DoInfo(siLookUp, "Lookup Of Port " + name);
    if (StartsWithDigit(name))
        return NetShort(std::uint16_t(PortNumber(name)));
    // An empty name names no service.
    const std::optional<ServEntry> service =
        name.empty() ? std::nullopt
                     : WinSockLayer().getservbyname(name, socketType == stStream ? "tcp" : "udp");
    if (!service)
        throw ESockException("Port Lookup - Could Not Find Service Entry");
    return service->s_port;
}
