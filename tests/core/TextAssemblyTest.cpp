#include "core/TextAssembly.h"

#include "base/StringList.h"
#include "core/CollectionErrors.h"
#include "core/LineList.h"
#include "tests/support/LiteralAssembly.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace zintra;

namespace {

LineList Lines(const std::vector<std::string>& texts) {
    LineList lines;
    for (const std::string& text : texts) {
        lines.Add(text);
    }
    return lines;
}

std::string Assembled(TextAssembly& assembly, LineList lines) {
    std::string text;
    assembly.SetStrings(lines, text);
    return text;
}

struct ShortCase {
    std::vector<std::string> lines;
    std::string result; // empty: fails with `missingLine`
    int missingLine = -1;
};

class ShortCollections : public testing::TestWithParam<ShortCase> {};

TEST_P(ShortCollections, AssembleOrNameTheFirstMissingLine) {
    RandomGenerator random;
    TextAssembly assembly(random);
    const ShortCase& c = GetParam();
    if (c.missingLine < 0) {
        EXPECT_EQ(Assembled(assembly, Lines(c.lines)), c.result);
        return;
    }
    try {
        Assembled(assembly, Lines(c.lines));
        FAIL() << "assembled";
    } catch (const EListError& error) {
        EXPECT_EQ(error.Message(),
                  "List index out of bounds (" + std::to_string(c.missingLine) + ")");
    }
}

const std::string D = "@@*DIV-d-";
const std::string N = "@@*NORANDOM";

INSTANTIATE_TEST_SUITE_P(
    Table, ShortCollections,
    testing::Values(ShortCase{{}, "", 0}, ShortCase{{"T"}, "T T"}, ShortCase{{"T", "A"}, "T A"},
                    ShortCase{{"T", "A", "B"}, "T ATB"}, ShortCase{{D}, "", 1},
                    ShortCase{{D, "T"}, "T T"}, ShortCase{{D, "T", "A"}, "T A"},
                    ShortCase{{D, "T", "A", "B"}, "T A-d-B"}, ShortCase{{N}, "", 1},
                    ShortCase{{N, "T"}, "T T"}, ShortCase{{N, "T", "A", "B"}, "T A@@*NORANDOMB"},
                    ShortCase{{D, N}, "", 2}, ShortCase{{D, N, "T"}, "T T"},
                    ShortCase{{D, N, "T", "A", "B"}, "T A-d-B"},
                    // Marker edge cases: only exact markers in their places count.
                    ShortCase{{"@@*DIV", "T", "A", "B"}, "T AB"},
                    ShortCase{{"@@*div", "A", "B"}, "@@*div A@@*divB"},
                    ShortCase{{" @@*DIV", "A", "B"}, " @@*DIV A @@*DIVB"},
                    ShortCase{{"@@*NORANDOM ", "A", "B"}, "@@*NORANDOM  A@@*NORANDOM B"},
                    ShortCase{{"T", N, "B"}, "T @@*NORANDOMTB"},
                    ShortCase{{N, D, "B"}, "@@*DIV-d- B"}));

TEST(TextAssembly, KeepsFileOrderWithTheOrderLine) {
    RandomGenerator random;
    TextAssembly assembly(random);
    EXPECT_EQ(Assembled(assembly, Lines({"@@*DIV / ", N, "P", "E1", "E2", "E3", "E4", "L"})),
              "P E1 / E2 / E3 / E4 / L");
    EXPECT_EQ(assembly.UsedIndices().Count(), 0);
}

TEST(TextAssembly, ShufflesEachEntryOnceBetweenTitleAndLastLine) {
    const std::vector<std::string> entries = {"E1", "E2", "E3", "E4", "E1"}; // a repeated text
    for (const bool withDivider : {true, false}) {
        std::vector<std::string> texts = {"P"};
        texts.insert(texts.end(), entries.begin(), entries.end());
        texts.push_back("L");
        if (withDivider) {
            texts.insert(texts.begin(), "@@*DIV / ");
        }
        const std::string divider = withDivider ? " / " : "P";
        RandomGenerator random;
        random.Seed(2024);
        TextAssembly assembly(random);
        const std::string text = Assembled(assembly, Lines(texts));
        ASSERT_TRUE(text.starts_with("P ") && text.ends_with(divider + "L")) << text;
        std::vector<std::string> shown;
        std::string body = text.substr(2, text.size() - 3);
        for (std::size_t at; (at = body.find(divider)) != std::string::npos;) {
            shown.push_back(body.substr(0, at));
            body.erase(0, at + divider.size());
        }
        std::vector<std::string> expected = entries;
        std::ranges::sort(shown);
        std::ranges::sort(expected);
        EXPECT_EQ(shown, expected) << text;
    }
}

TEST(TextAssembly, DrawsExactlyLikeTheLiteralListSearch) {
    for (const std::uint32_t seed : {0u, 1u, 42u, 123456789u, 4294967295u}) {
        for (int entries = 0; entries <= 60; entries += entries < 12 ? 1 : 16) {
            std::vector<std::string> texts = {"@@*DIV | ", "title"};
            for (int i = 0; i < entries; ++i) {
                texts.push_back("entry " + std::to_string(i));
            }
            texts.push_back("last");
            RandomGenerator literalRandom;
            literalRandom.Seed(seed);
            TStringList literalUsed;
            const std::string expected = LiteralSetStrings(texts, literalRandom, literalUsed);

            RandomGenerator random;
            random.Seed(seed);
            TextAssembly assembly(random);
            ASSERT_EQ(Assembled(assembly, Lines(texts)), expected) << seed << " " << entries;
            ASSERT_EQ(random.RandSeed(), literalRandom.RandSeed());
            ASSERT_EQ(assembly.UsedIndices().Count(), literalUsed.Count());
            for (int i = 0; i < literalUsed.Count(); ++i) {
                ASSERT_EQ(assembly.UsedIndices().Get(i), literalUsed.Get(i));
            }
        }
    }
}

// Lines that read differently the second time, as a file written to during a load would.
class ChangingLines : public LineSource {
public:
    ChangingLines(LineList first, LineList second) : readings_{first, second} {}
    void Rewind() override {
        current_ = &readings_[rewinds_++ == 0 ? 0 : 1];
        current_->Rewind();
    }
    bool Next(std::string_view& line) override { return current_->Next(line); }

private:
    LineList readings_[2];
    int rewinds_ = 0;
    LineList* current_ = nullptr;
};

TEST(TextAssembly, LinesThatChangeBetweenTheReadingsFailAndLeaveTheTextAlone) {
    const std::vector<std::string> lines = {"@@*DIV / ", "T", "entry one", "entry two", "L"};
    for (const std::vector<std::string>& second :
         {std::vector<std::string>{"@@*DIV / ", "T", "entry one grew longer", "entry two", "L"},
          std::vector<std::string>{"@@*DIV / ", "T", "entry one", "entry two", "L", "more"},
          std::vector<std::string>{"@@*DIV / ", "T", "entry one", "L"},
          std::vector<std::string>{"@@*DIV / ", "T", "entry one", "entry", "two L"}}) {
        RandomGenerator random;
        TextAssembly assembly(random);
        ChangingLines changing(Lines(lines), Lines(second));
        std::string text = "lead-in";
        EXPECT_THROW(assembly.SetStrings(changing, text), ECollectionChanged) << second.size();
        EXPECT_EQ(text, "lead-in");
    }
}

TEST(TextAssembly, GetRandomRecordsEachNumberOnce) {
    RandomGenerator random;
    random.Seed(7);
    TextAssembly assembly(random);
    std::vector<int> drawn;
    for (int i = 0; i < 5; ++i) {
        drawn.push_back(assembly.GetRandom(3, 7));
    }
    std::ranges::sort(drawn);
    EXPECT_EQ(drawn, (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_THROW(assembly.UsedIndices().Get(5), EListError);
    EXPECT_THROW(assembly.GetRandom(-1, 2), EListError);
}

} // namespace
