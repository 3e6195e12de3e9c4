#pragma once

#include "base/Stream.h"

namespace zintra {

class TSock;

// A TSock as a byte stream: reading receives, writing sends. It has no position and no size.
class TSockStream : public TStream {
public:
    explicit TSockStream(TSock& Sock) : sock_(Sock) {}

    // What Receive yields, at most Count bytes; a stream socket keeps the rest for the next read.
    std::int32_t Read(void* Buffer, std::int32_t Count) override;
    // Sends Count bytes; on a non-blocking socket some may still wait in OutBuffer.
    std::int32_t Write(const void* Buffer, std::int32_t Count) override;
    std::int32_t Seek(std::int32_t Offset, TSeekOrigin Origin) override;

private:
    TSock& sock_;
};

} // namespace zintra
