#include "core/CharacterText.h"

#include "core/Characters.h"
#include "core/CollectionErrors.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace zintra {
namespace {

constexpr std::uint32_t kStride = 1024;

bool AsciiBytes(const char* p, std::size_t count) {
    std::uint64_t any = 0;
    for (std::size_t i = 0; i < count; i += 8) {
        std::uint64_t bytes;
        std::memcpy(&bytes, p + i, sizeof bytes);
        any |= bytes;
    }
    return (any & 0x8080808080808080u) == 0;
}

} // namespace

CharacterText::CharacterText(std::string text) : text_(std::move(text)) {
    const char* const begin = text_.data();
    const char* const end = begin + text_.size();
    checkpoints_.reserve(text_.size() / kStride + 1);
    std::uint64_t count = 0;
    for (const char* p = begin; p < end;) {
        const std::uint64_t intoStride = count % kStride;
        if (intoStride == 0) {
            checkpoints_.push_back(static_cast<std::size_t>(p - begin));
            // Plain ASCII, the common case, is taken a whole stride at a time where it can be.
            if (static_cast<std::size_t>(end - p) >= kStride && AsciiBytes(p, kStride)) {
                p += kStride;
                count += kStride;
                continue;
            }
        }
        if (end - p >= 8 && kStride - intoStride >= 8 && AsciiBytes(p, 8)) {
            p += 8;
            count += 8;
        } else {
            p += CharSize(p, end);
            ++count;
        }
    }
    length_ = CheckedLength(count);
}

std::int32_t CharacterText::CheckedLength(std::uint64_t count) {
    if (count > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        throw ETextTooLong();
    }
    return static_cast<std::int32_t>(count);
}

std::size_t CharacterText::Advance(std::size_t offset, std::uint32_t chars) const {
    const char* const end = text_.data() + text_.size();
    for (; chars > 0; --chars) {
        offset += CharSize(text_.data() + offset, end);
    }
    return offset;
}

std::size_t CharacterText::OffsetOf(std::uint32_t index) const {
    // Ticks ask for consecutive positions, so the cursor nearly always starts a step away.
    if (index < cursorIndex_ || index - cursorIndex_ >= kStride) {
        cursorIndex_ = index - index % kStride;
        cursorOffset_ = checkpoints_[index / kStride];
    }
    cursorOffset_ = Advance(cursorOffset_, index - cursorIndex_);
    cursorIndex_ = index;
    return cursorOffset_;
}

std::string_view CharacterText::Part(std::int32_t pos, std::int32_t count) const {
    const auto index = static_cast<std::uint32_t>(std::max(pos, 1) - 1);
    if (count <= 0 || index >= static_cast<std::uint32_t>(length_)) {
        return {};
    }
    const std::size_t begin = OffsetOf(index);
    const auto chars = std::min(static_cast<std::uint32_t>(count), length_ - index);
    return std::string_view(text_).substr(begin, Advance(begin, chars) - begin);
}

} // namespace zintra
