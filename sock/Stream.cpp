#include "sock/Stream.h"

#include "sock/SockExceptions.h"

#include <algorithm>
#include <vector>

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

void TStream::SetPosition(std::int64_t Pos) {
    Seek64(Pos, soFromBeginning);
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

std::int64_t TStream::CopyFrom(TStream& Source, std::int64_t Count) {
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    constexpr std::int32_t chunk = 61440;
    std::vector<char> buffer(std::size_t(std::min<std::int64_t>(Count, chunk)));
    for (std::int64_t left = Count; left > 0;) {
        const auto n = std::int32_t(std::min<std::int64_t>(left, chunk));
        Source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return Count;
}

} // namespace zintra
