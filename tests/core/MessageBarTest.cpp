#include "core/MessageBar.h"

#include "base/Exceptions.h"
#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

using namespace zintra;

namespace {

class RecordingView : public MessageBarView {
public:
    void SetBarText(const std::string& text) override { shown.push_back(text); }
    void SetTimerEnabled(bool enabled) override { timerOn = enabled; }

    std::vector<std::string> shown;
    bool timerOn = false;
};

const std::string kLeadIn(55, ' ');
const std::string kMessage1 =
    "The collection of quotes/jokes that has been used by Zintra has been "
    "moved, dleted, renamed, or has not been set.";

class MessageBarTest : public testing::Test {
protected:
    MessageBarTest() { bar.Random().Seed(1); }

    std::vector<std::string> Ticks(int count) {
        view.shown.clear();
        for (int i = 0; i < count; ++i) {
            bar.Timer1Timer();
        }
        return view.shown;
    }

    std::string LoadFailure(const std::string& bytes) {
        try {
            bar.Load(folder.Write("bad.zin", bytes));
        } catch (const Exception& error) {
            return error.Message();
        }
        return "loaded";
    }

    TestFolder folder;
    RecordingView view;
    MessageBar bar{view};
};

TEST_F(MessageBarTest, WorkedExampleReadsUpToTheFirstEmptyLine) {
    bar.Load(folder.Write("example.zin", "@@*DIV / \r\n@@*NORANDOM\r\nP\r\nE1\r\nE2\r\nE3\r\nE4\r\n"
                                         "L\r\n\r\nnever read\r\n"));
    EXPECT_EQ(bar.MessageText(), kLeadIn + "P E1 / E2 / E3 / E4 / L");
    EXPECT_EQ(bar.MessageLength(), 55 + 23);
    EXPECT_EQ(view.shown, std::vector<std::string>{"Loading..."});
    EXPECT_TRUE(view.timerOn);
}

TEST_F(MessageBarTest, APassRunsFromTheEmptyBarToTheLastCharacterAlone) {
    bar.Load(folder.Write("c.zin", "Title\nLast"));
    const int length = bar.MessageLength();
    ASSERT_EQ(length, 55 + 10);
    const std::vector<std::string> pass = Ticks(length + 2);
    EXPECT_EQ(pass[0], kLeadIn);
    EXPECT_EQ(pass[1], kLeadIn);
    EXPECT_EQ(pass[2], std::string(54, ' ') + "T");
    EXPECT_EQ(pass[length], "t");
    EXPECT_EQ(pass[length + 1], kLeadIn) << "the next pass starts at position 0";
}

TEST_F(MessageBarTest, MissingCollectionShowsTheThreeMessagesEachWithTheSeparator) {
    std::filesystem::create_directory(folder.Path("folder.zin"));
    // Neither a FIFO (whose opening waits for a writer) nor an endless device is a collection.
    ASSERT_EQ(mkfifo(folder.Path("fifo.zin").c_str(), 0600), 0);
    for (const std::string& path :
         {std::string(), folder.Path("none.zin"), folder.Path("folder.zin"),
          folder.Path("fifo.zin"), std::string("/dev/zero")}) {
        bar.SetSeparator(" : ");
        bar.Load(path);
        const std::string& text = bar.MessageText();
        EXPECT_TRUE(text.starts_with(kLeadIn + kMessage1 + " : You need to set")) << path;
        EXPECT_TRUE(text.ends_with("choosing the \"Help\" option from the menu that opens. : "));
        EXPECT_EQ(bar.MessageLength(), static_cast<std::int32_t>(text.size()));
        EXPECT_TRUE(view.timerOn);
    }
    bar.SetSeparator("");
    bar.Load("");
    EXPECT_NE(bar.MessageText().find("not been set.You need"), std::string::npos);
}

TEST_F(MessageBarTest, ASecondLoadGoesOnFromTheScrollPositionReached) {
    bar.Load(folder.Write("long.zin", "T\n" + std::string(400, 'x') + "\n"));
    bar.SetScrollPos(300);
    bar.Load(folder.Write("long2.zin", "T\n" + std::string(400, 'y') + "\n"));
    EXPECT_EQ(Ticks(1).front(), std::string(55, 'y'));
    bar.Load(folder.Write("short.zin", "T\nz\n"));
    EXPECT_EQ(Ticks(1).front(), kLeadIn) << "past the new end the bar wraps to position 0";
    EXPECT_EQ(bar.ScrollPos(), 1);
}

TEST_F(MessageBarTest, Utf8CharactersAreNeverSplitAndEveryTickMoves) {
    const std::string euro = "\xe2\x82\xac";
    bar.Load(folder.Write("utf8.zin", "Caf\xc3\xa9\n" + euro + euro + "\xff\n"));
    EXPECT_EQ(bar.MessageLength(), 55 + 4 + 1 + 3);
    const std::vector<std::string> pass = Ticks(bar.MessageLength() + 1);
    EXPECT_EQ(pass[2], std::string(54, ' ') + "C");
    EXPECT_EQ(pass[bar.MessageLength() - 1], euro + "\xff");
    EXPECT_EQ(pass[bar.MessageLength()], "\xff") << "a stray byte is one character";
    for (std::size_t i = 1; i + 1 < pass.size(); ++i) {
        EXPECT_NE(pass[i], pass[i + 1]) << i;
    }
}

TEST_F(MessageBarTest, NulBytesAndLongLinesPassThrough) {
    using namespace std::string_literals;
    bar.Load(folder.Write("nul.zin", "T\0T\na\0b\n"s));
    EXPECT_EQ(bar.MessageText(), kLeadIn + "T\0T a\0b"s);
    const std::string longLine(10 << 20, 'w');
    bar.Load(folder.Write("big.zin", "T\n" + longLine + "\n"));
    EXPECT_EQ(bar.MessageLength(), 55 + 2 + (10 << 20));
}

TEST_F(MessageBarTest, CrOnlyLineEndsAndCtrlZFollowTheLineRules) {
    bar.Load(folder.Write("cr.zin", "Title\rA\rB\r"));
    EXPECT_EQ(bar.MessageText(), kLeadIn + "TitleAB TitleAB");
    bar.Load(folder.Write("ctrlz.zin", "T\x1a hidden\nA\nB\x1a\n\nC"));
    EXPECT_EQ(bar.MessageText(), kLeadIn + "T ATB");
}

TEST_F(MessageBarTest, EmptyCollectionFailsAndLeavesTheBarStill) {
    bar.Load(folder.Write("good.zin", "T\nA\n"));
    const std::int32_t length = bar.MessageLength();
    for (const std::string bytes : {"", "\nT\nA\n", "@@*DIV\n", "\r\n"}) {
        view.shown.clear();
        const std::string failure = LoadFailure(bytes);
        EXPECT_TRUE(failure.starts_with("List index out of bounds (")) << failure;
        EXPECT_FALSE(view.timerOn);
        EXPECT_EQ(view.shown, std::vector<std::string>{"Loading..."});
        EXPECT_EQ(bar.MessageText(), "") << "the assembly emptied it";
        EXPECT_EQ(bar.MessageLength(), length);
    }
    EXPECT_EQ(LoadFailure(""), "List index out of bounds (0)");
    EXPECT_EQ(Ticks(1).front(), "");
}

TEST_F(MessageBarTest, UnreadableCollectionKeepsTheTextShown) {
    bar.Load(folder.Write("good.zin", "T\nA\n"));
    const std::string before = bar.MessageText();
    EXPECT_THROW(bar.Load("/proc/self/mem"), EInOutError);
    EXPECT_EQ(bar.MessageText(), before);
    EXPECT_FALSE(view.timerOn);
}

TEST_F(MessageBarTest, BufferRepeatsThePadText) {
    EXPECT_EQ(bar.Buffer(3), "   ");
    EXPECT_EQ(bar.Buffer(0), "");
    EXPECT_EQ(bar.Buffer(-4), "");
    bar.SetPadText("ab");
    EXPECT_EQ(bar.Buffer(2), "abab");
}

TEST_F(MessageBarTest, TicksOverAnEmptyTextShowAnEmptyBar) {
    EXPECT_EQ(Ticks(3), (std::vector<std::string>{"", "", ""}));
}

} // namespace

// Which line stands at every position, worked out from the lines and the order they were drawn
// in, against what the bar says; the Divider and the title's blank belong to no line.
TEST_F(MessageBarTest, TellsTheLineAtEveryPosition) {
    const std::vector<std::string> lines = {
        "@@*DIV \xE2\x80\xA2 ", "Title", "\xC3\xA9t\xC3\xA9", "b", "longer entry",
        "\xE2\x82\xAC!",        "Last"};
    for (const bool fileOrder : {false, true}) {
        std::string file;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            file += lines[i] + "\n" + (i == 0 && fileOrder ? "@@*NORANDOM\n" : "");
        }
        bar.Load(folder.Write("lines.zin", file));
        const std::int32_t shift = fileOrder ? 1 : 0;
        std::vector<std::optional<std::int32_t>> expected(55, std::nullopt);
        const auto add = [&](std::size_t line, std::string_view after) {
            expected.insert(expected.end(), CharacterText(lines[line]).Length(),
                            static_cast<std::int32_t>(line) + shift);
            expected.insert(expected.end(), CharacterText(std::string(after)).Length(),
                            std::nullopt);
        };
        add(1, " ");
        for (std::int32_t k = 0; k < 4; ++k) {
            add(fileOrder ? 2 + k : bar.UsedIndices().Number(k), " \xE2\x80\xA2 ");
        }
        add(6, "");
        ASSERT_EQ(static_cast<std::int32_t>(expected.size()), bar.MessageLength());
        EXPECT_EQ(bar.LineAt(0), std::nullopt);
        EXPECT_EQ(bar.LineAt(bar.MessageLength() + 1), std::nullopt);
        for (std::int32_t pos = 1; pos <= bar.MessageLength(); ++pos) {
            EXPECT_EQ(bar.LineAt(pos), expected[static_cast<std::size_t>(pos - 1)]) << pos;
        }
    }
}

TEST_F(MessageBarTest, KnowsWhatItShows) {
    bar.Load(folder.Write("shown.zin", "Title\nEntry\nLast\n"));
    EXPECT_EQ(bar.ShownPos(), 0);
    Ticks(3);
    EXPECT_EQ(bar.ShownPos(), 2);
    EXPECT_EQ(bar.ShownText(), std::string(54, ' ') + "T");
    bar.Load(folder.Path("missing.zin"));
    EXPECT_EQ(bar.ShownPos(), 0);
    Ticks(60);
    EXPECT_EQ(bar.LineAt(56), std::nullopt);
}
