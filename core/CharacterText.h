#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zintra {

// A text addressed by 1-based character positions (see CharSize). A sparse index of byte
// offsets, one per 1024 characters, and a cursor that follows the last position asked for keep
// each Part at O(count) whatever the text's length, at about 1/128 of the text in memory.
class CharacterText {
public:
    CharacterText() = default;
    // Raises ETextTooLong when the text has more characters than a signed 32-bit count holds.
    explicit CharacterText(std::string text);

    const std::string& Bytes() const { return text_; }
    std::int32_t Length() const { return length_; }

    // `count` characters from position `pos`; a position below 1 counts as 1; cut at the end.
    std::string_view Part(std::int32_t pos, std::int32_t count) const;
    // Where the character at position `pos` (1 to Length()) begins, in bytes.
    std::size_t ByteOffset(std::int32_t pos) const {
        return OffsetOf(static_cast<std::uint32_t>(pos - 1));
    }

    // The character count as the bar holds it; raises ETextTooLong above the signed 32-bit range.
    static std::int32_t CheckedLength(std::uint64_t count);

private:
    std::size_t OffsetOf(std::uint32_t index) const;
    std::size_t Advance(std::size_t offset, std::uint32_t chars) const;

    std::string text_;
    std::int32_t length_ = 0;
    std::vector<std::size_t> checkpoints_;
    mutable std::uint32_t cursorIndex_ = 0;
    mutable std::size_t cursorOffset_ = 0;
};

} // namespace zintra
