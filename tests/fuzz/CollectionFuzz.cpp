// Collection files: the text-file line rules and the text assembly, from any bytes and any seed,
// and the characters the bar counts and shows in them.
#include "core/CharacterText.h"
#include "tests/fuzz/FuzzSupport.h"

#include <array>
#include <fuzzer/FuzzedDataProvider.h>

using namespace zintra;

namespace {

// The size of the character at the start of `bytes` the plain way: decode a UTF-8 sequence and
// take it when its value is allowed and in its shortest form, else one byte.
std::size_t PlainCharSize(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const std::size_t size = lead >= 0xF8   ? 1
                             : lead >= 0xF0 ? 4
                             : lead >= 0xE0 ? 3
                             : lead >= 0xC0 ? 2
                                            : 1;
    if (size == 1 || bytes.size() < size) {
        return 1;
    }
    std::uint32_t value = lead & (0x7Fu >> size);
    for (std::size_t i = 1; i < size; ++i) {
        if ((static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80) {
            return 1;
        }
        value = value << 6 | (static_cast<unsigned char>(bytes[i]) & 0x3Fu);
    }
    constexpr std::uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool allowed = value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
    return allowed && value >= kShortest[size] ? size : 1;
}

// Wherever the bar's window looks (`looks`: position and count pairs), it shows the characters
// a plain decoding finds there.
template <std::size_t N>
void CheckCharacters(const std::string& bytes, const std::array<std::uint16_t, N>& looks) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < bytes.size();
         at += PlainCharSize(std::string_view(bytes).substr(at))) {
        starts.push_back(at);
    }
    const auto length = static_cast<std::int32_t>(starts.size());
    starts.push_back(bytes.size());
    const CharacterText text(bytes);
    Require(text.Length() == length, "the bar counts the characters a plain decoding finds");
    for (std::size_t i = 0; i + 1 < N; i += 2) {
        const std::int32_t pos = looks[i] % (length + 3) - 1;
        const std::int32_t count = looks[i + 1] % 80;
        const auto first = static_cast<std::size_t>(std::min(std::max(pos, 1) - 1, length));
        const std::size_t last =
            std::min(first + static_cast<std::size_t>(count), starts.size() - 1);
        Require(text.Part(pos, count) ==
                    std::string_view(bytes).substr(starts[first], starts[last] - starts[first]),
                "the bar shows the characters from its position on");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The numbers come from the end, so a collection file is a seed as it is.
    FuzzedDataProvider input(data, size);
    const auto seed = input.ConsumeIntegral<std::uint32_t>();
    const auto readSize = input.ConsumeIntegralInRange<std::size_t>(1, 64);
    std::array<std::uint16_t, 8> looks;
    for (std::uint16_t& look : looks) {
        look = input.ConsumeIntegral<std::uint16_t>();
    }
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    CheckCollection(bytes, readSize, seed);
    CheckCharacters(bytes, looks);
    return 0;
}
