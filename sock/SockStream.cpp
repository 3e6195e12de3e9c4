#include "sock/SockStream.h"

#include "sock/Sock.h"

#include <algorithm>
#include <cstring>

namespace zintra {

std::int32_t TSockStream::Read(void* Buffer, std::int32_t Count) {
    const std::int32_t wanted = std::max(Count, 0);
    // A handler of the receive's reports may destroy the component, and this stream with it.
    const Lifetime::Watch alive = sock_.lifetime_.Observe();
    const std::string received = sock_.Receive(wanted);
    const std::size_t placed = std::min(received.size(), std::size_t(wanted));
    if (placed > 0) {
        std::memcpy(Buffer, received.data(), placed);
    }
    // A datagram longer than the buffer is cut, as any datagram read into a short buffer is.
    if (!alive.Alive()) {
        return std::int32_t(placed);
    }
    if (placed < received.size() && sock_.SocketType() == stStream) {
        sock_.inBuffer_.Prepend(std::string_view(received).substr(placed));
    }
    return std::int32_t(placed);
}

std::int32_t TSockStream::Write(const void* Buffer, std::int32_t Count) {
    sock_.Send(std::string_view(static_cast<const char*>(Buffer), std::size_t(std::max(Count, 0))));
    return Count;
}

std::int32_t TSockStream::Seek(std::int32_t, TSeekOrigin) {
    return 0;
}

} // namespace zintra
