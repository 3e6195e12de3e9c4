#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zintra {

// Integer text: leading blanks, at most one sign, then decimal digits (must fit 32 bits signed)
// or hexadecimal digits after $, x, X, 0x or 0X (up to 8 significant ones, a 32-bit pattern).
// Nothing may follow the digits.
std::optional<std::int32_t> TryStrToInt(const std::string& text);

// As TryStrToInt; raises EConvertError "'%s' is not a valid integer value" on a bad text.
std::int32_t StrToInt(const std::string& text);

} // namespace zintra
