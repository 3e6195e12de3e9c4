#include "base/IntegerText.h"

#include "base/Exceptions.h"

#include <limits>

namespace zintra {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Length of the hexadecimal prefix at `i` ($, x, X, 0x, 0X), or 0.
std::size_t HexPrefix(const std::string& text, std::size_t i) {
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        return 1;
    }
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        return 2;
    }
    return 0;
}

} // namespace

std::optional<std::int32_t> TryStrToInt(const std::string& text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) {
        return std::nullopt;
    }
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+') {
        ++i;
    }
    const std::size_t prefix = HexPrefix(text, i);
    const unsigned base = prefix != 0 ? 16 : 10;
    i += prefix;
    if (i == text.size()) {
        return std::nullopt;
    }
    // Decimal magnitudes go up to 2^31 (for the most negative value); hexadecimal ones are
    // 32-bit patterns. Leading zeros never count against either limit.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = base == 16 ? HexDigit(text[i])
                                     : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * base + static_cast<unsigned>(digit);
        if (value > limit) {
            return std::nullopt;
        }
    }
    const auto pattern = static_cast<std::uint32_t>(negative ? 0u - value : value);
    return static_cast<std::int32_t>(pattern);
}

std::int32_t StrToInt(const std::string& text) {
    if (const auto value = TryStrToInt(text)) {
        return *value;
    }
    throw EConvertError(text);
}

} // namespace zintra
