#pragma once

#include <cstdint>

namespace zintra {

enum TSeekOrigin : std::uint16_t { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

// A byte stream: subclasses provide reading, writing and seeking; whole-buffer transfers,
// position and size are built on them.
class TStream {
public:
    virtual ~TStream() = default;

    // Bytes placed in Buffer, at most Count.
    virtual std::int32_t Read(void* Buffer, std::int32_t Count) = 0;
    // Bytes taken from Buffer.
    virtual std::int32_t Write(const void* Buffer, std::int32_t Count) = 0;
    // The new position.
    virtual std::int32_t Seek(std::int32_t Offset, TSeekOrigin Origin) = 0;
    // Offsets that fit 32 bits go to the 32-bit seek.
    virtual std::int64_t Seek64(std::int64_t Offset, TSeekOrigin Origin);

    std::int64_t Position();
    std::int64_t Size();

    // Exactly Count bytes, reading as often as it takes; EReadError "Stream read error" when a
    // read yields nothing.
    void ReadBuffer(void* Buffer, std::int32_t Count);
    // All Count bytes, writing as often as it takes; EWriteError "Stream write error" when a
    // write takes nothing.
    void WriteBuffer(const void* Buffer, std::int32_t Count);
};

} // namespace zintra
