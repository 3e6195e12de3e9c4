#include "base/Stream.h"

#include "base/StreamErrors.h"

namespace zintra {

std::int64_t TStream::Seek64(std::int64_t Offset, TSeekOrigin Origin) {
    if (Offset < INT32_MIN || Offset > INT32_MAX) {
        throw EReadError("Stream seek offset out of range");
    }
    return Seek(std::int32_t(Offset), Origin);
}

std::int64_t TStream::Position() {
    return Seek64(0, soFromCurrent);
}

std::int64_t TStream::Size() {
    const std::int64_t position = Seek64(0, soFromCurrent);
    const std::int64_t size = Seek64(0, soFromEnd);
    Seek64(position, soFromBeginning);
    return size;
}

void TStream::ReadBuffer(void* Buffer, std::int32_t Count) {
    auto* bytes = static_cast<char*>(Buffer);
    for (std::int32_t done = 0; done < Count;) {
        const std::int32_t n = Read(bytes + done, Count - done);
        if (n <= 0) {
            throw EReadError("Stream read error");
        }
        done += n;
    }
}

void TStream::WriteBuffer(const void* Buffer, std::int32_t Count) {
    const auto* bytes = static_cast<const char*>(Buffer);
    for (std::int32_t done = 0; done < Count;) {
        const std::int32_t n = Write(bytes + done, Count - done);
        if (n <= 0) {
            throw EWriteError("Stream write error");
        }
        done += n;
    }
}

} // namespace zintra
