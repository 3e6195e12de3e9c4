#include "core/CharacterText.h"

#include "core/Characters.h"
#include "core/CollectionErrors.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace zintra;

namespace {

struct SizeCase {
    std::string bytes;
    std::size_t size;
};

class CharSizeOf : public testing::TestWithParam<SizeCase> {};

TEST_P(CharSizeOf, FirstCharacter) {
    const std::string& bytes = GetParam().bytes;
    EXPECT_EQ(CharSize(bytes.data(), bytes.data() + bytes.size()), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Utf8, CharSizeOf,
                         testing::Values(SizeCase{"a", 1}, SizeCase{"\xc3\xa9", 2},
                                         SizeCase{"\xe2\x82\xac", 3},
                                         SizeCase{"\xf0\x9f\x98\x80", 4},
                                         SizeCase{"\xf4\x8f\xbf\xbf", 4},
                                         SizeCase{"\xc0\x80", 1},         // overlong
                                         SizeCase{"\xe0\x80\x80", 1},     // overlong
                                         SizeCase{"\xed\xa0\x80", 1},     // surrogate
                                         SizeCase{"\xf4\x90\x80\x80", 1}, // past U+10FFFF
                                         SizeCase{"\xe2\x82", 1},         // cut short by the end
                                         SizeCase{"\xe2\x82x", 1}, SizeCase{"\x80", 1},
                                         SizeCase{"\xe9t\xe9", 1}, SizeCase{"\xff", 1}));

// Splits a text into characters the plain way, for comparison.
std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> chars;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t size = CharSize(text.data() + i, text.data() + text.size());
        chars.push_back(text.substr(i, size));
        i += size;
    }
    return chars;
}

std::string Join(const std::vector<std::string>& chars, std::size_t from, std::size_t count) {
    std::string text;
    for (std::size_t i = from; i < chars.size() && i < from + count; ++i) {
        text += chars[i];
    }
    return text;
}

TEST(CharacterText, PartsMatchAPlainSplitAtEveryPositionAndJump) {
    // Mixed ASCII runs, multi-byte characters and stray bytes, over many index strides.
    const std::string pieces[] = {
        "abcdefgh", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xe9",
        "\x80",     " ",        "\xe2\x82"};
    std::mt19937 random(42);
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += pieces[random() % std::size(pieces)];
    }
    const std::vector<std::string> chars = Characters(text);
    const CharacterText indexed(text);
    ASSERT_EQ(indexed.Length(), static_cast<std::int32_t>(chars.size()));
    for (std::int32_t pos = 0; pos <= indexed.Length() + 1; ++pos) {
        ASSERT_EQ(indexed.Part(pos, 55), Join(chars, std::max(pos, 1) - 1, 55)) << pos;
    }
    for (int jump = 0; jump < 2000; ++jump) {
        const auto pos = static_cast<std::int32_t>(random() % (chars.size() + 10));
        const auto count = static_cast<std::int32_t>(random() % 300);
        ASSERT_EQ(indexed.Part(pos, count), Join(chars, std::max(pos, 1) - 1, count)) << pos;
    }
}

TEST(CharacterText, EdgesOfTheWindow) {
    const CharacterText text("abc");
    EXPECT_EQ(text.Part(-5, 2), "ab");
    EXPECT_EQ(text.Part(3, 55), "c");
    EXPECT_EQ(text.Part(4, 55), "");
    EXPECT_EQ(text.Part(1, 0), "");
    EXPECT_EQ(text.Part(1, -1), "");
    EXPECT_EQ(CharacterText().Part(0, 55), "");
}

TEST(CharacterText, LengthBeyondTheSigned32BitRangeFails) {
    EXPECT_EQ(CharacterText::CheckedLength(2147483647u), 2147483647);
    EXPECT_THROW(CharacterText::CheckedLength(2147483648u), ETextTooLong);
}

} // namespace
