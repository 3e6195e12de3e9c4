#include "core/TextFile.h"

#include "base/Exceptions.h"
#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>
#include <vector>

using namespace zintra;

namespace {

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines; // then empty lines past the end
};

class TextFileLines : public testing::TestWithParam<LineCase> {};

TEST_P(TextFileLines, ReadsLinesThenEmptyLinesPastTheEnd) {
    TestFolder folder;
    TextFile file(folder.Write("f.txt", GetParam().bytes));
    for (const std::string& expected : GetParam().lines) {
        EXPECT_FALSE(file.Eof());
        EXPECT_EQ(file.ReadLine(), expected);
    }
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.ReadLine(), "");
    EXPECT_EQ(file.ReadLine(), "");
}

// The same bytes held in memory, read a few at a time so that lines span reads.
TEST_P(TextFileLines, ReadsTheSameLinesFromMemory) {
    for (const std::size_t readSize : {1, 2, 3, 64}) {
        TextFile file(GetParam().bytes, readSize);
        for (const std::string& expected : GetParam().lines) {
            EXPECT_EQ(file.ReadLine(), expected) << "reading " << readSize << " at a time";
        }
        EXPECT_TRUE(file.Eof());
    }
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    LineRules, TextFileLines,
    testing::Values(LineCase{"Empty", "", {}}, LineCase{"Lf", "a\nb\n", {"a", "b"}},
                    LineCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                    LineCase{"NoFinalBreak", "a\nb", {"a", "b"}},
                    LineCase{"LoneCrDropped", "a\rb\r\nc", {"ab", "c"}},
                    LineCase{"CrOnlyLineEnds", "one\rtwo\rthree\r", {"onetwothree"}},
                    LineCase{"EmptyLineKept", "a\n\nb\n", {"a", "", "b"}},
                    LineCase{"CtrlZEndsLineAndSkipsRest",
                             "ab\x1a"
                             "cd\r\nef\n",
                             {"ab", "ef"}},
                    LineCase{"CtrlZAtEndIgnored", "ab\ncd\x1a", {"ab", "cd"}},
                    LineCase{"CtrlZAlone", "\x1a\nx", {"", "x"}},
                    LineCase{"NulBytesKept", "a\0b\nc\0\n"s, {"a\0b"s, "c\0"s}},
                    LineCase{"BlanksKept", "  \n\t x \n", {"  ", "\t x "}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextFile, ReadsATenMegabyteLineWhole) {
    TestFolder folder;
    const std::string longLine(10 << 20, 'q');
    TextFile file(folder.Write("long.txt", longLine + "\r\nnext\n"));
    EXPECT_EQ(file.ReadLine(), longLine);
    EXPECT_EQ(file.ReadLine(), "next");
}

TEST(TextFile, CrLfSplitAcrossReadsIsOneLineBreak) {
    TestFolder folder;
    const std::string first((1 << 20) - 1, 'a'); // the CR is the last byte of the first read
    TextFile file(folder.Write("split.txt", first + "\r\nb"));
    EXPECT_EQ(file.ReadLine(), first);
    EXPECT_EQ(file.ReadLine(), "b");
}

struct FailureCase {
    const char* name;
    std::string path; // relative to the test folder, which holds a file "plain"
    std::string message;
};

class TextFileFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(TextFileFailures, RaiseTheTextFileMessage) {
    TestFolder folder;
    folder.Write("plain", "x");
    std::filesystem::create_directory(folder.Path("folder"));
    try {
        TextFile file(folder.Path(GetParam().path));
        file.ReadLine();
        FAIL() << "no failure";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Message(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(Failures, TextFileFailures,
                         testing::Values(FailureCase{"Missing", "missing", "File not found"},
                                         FailureCase{"BelowAFile", "plain/x", "Invalid filename"},
                                         FailureCase{"Folder", "folder", "File access denied"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextFile, UnreadableFileGivesTheIoErrorNumber) {
    // Reading the start of a process's memory file fails with EIO even for root.
    try {
        TextFile("/proc/self/mem").ReadLine();
        FAIL() << "no failure";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Message(), "I/O error 5");
    }
}

} // namespace
