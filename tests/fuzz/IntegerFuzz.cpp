// Integer text: the conversion agrees with a plain one built on std::from_chars, and a bad text
// fails with the conversion's text.
#include "base/Exceptions.h"
#include "base/IntegerText.h"
#include "tests/fuzz/FuzzSupport.h"

#include <charconv>

using namespace zintra;

namespace {

std::optional<std::int32_t> PlainConversion(std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+')) {
        text.remove_prefix(1);
    }
    int base = 10;
    for (const std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
        if (text.starts_with(prefix)) {
            text.remove_prefix(prefix.size());
            base = 16;
            break;
        }
    }
    std::uint64_t magnitude = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, magnitude, base);
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : negative ? 0x80000000u : 0x7FFFFFFFu;
    if (text.empty() || stop != end || error != std::errc() || magnitude > limit) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> expected = PlainConversion(text);
    Require(TryStrToInt(text) == expected, "the conversion agrees with the plain one");
    try {
        Require(StrToInt(text) == expected, "StrToInt gives the value");
    } catch (const EConvertError& error) {
        Require(!expected && error.Message() == "'" + text + "' is not a valid integer value",
                "a bad text fails with the conversion's text");
    }
    return 0;
}
