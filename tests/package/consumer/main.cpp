// A component from the installed package: it looks a port up, and names an error.

#include "base/IntegerText.h"
#include "sock/ErrorName.h"
#include "sock/Sock.h"

#include <cstdio>

int main() {
    zintra::TSock sock(nullptr);
    const std::string portText = "0x50";
    const std::uint16_t port = zintra::NetShort(sock.LookupPort(portText));
    if (port != zintra::StrToInt(portText)) {
        return 1;
    }
    std::printf("port %u, %s\n", unsigned(port),
                zintra::ErrorNumberText(zintra::WSAECONNREFUSED).c_str());
    return 0;
}
