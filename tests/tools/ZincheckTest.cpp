#include "tools/zincheck/Zincheck.h"

#include "tests/support/MemoryLimit.h"
#include "tests/support/TestFolder.h"
#include "tests/support/ToolRun.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace zintra;

namespace {

ToolOutcome Zincheck(const std::vector<std::string>& args) {
    return RunTool(RunZincheck, args);
}

const std::string kUsage = "usage: zincheck [--seed N] [--separator TEXT] [--ticks K] PATH\n";

TEST(ZincheckRun, WritesTheAssembledTextWithoutTheLeadIn) {
    TestFolder folder;
    const std::string path = folder.Write("c.zin", "@@*DIV / \n@@*NORANDOM\nP\nE1\nE2\nL\n");
    EXPECT_EQ(Zincheck({path}).out, "P E1 / E2 / L\n");
    EXPECT_EQ(Zincheck({path}).status, kZincheckLoaded);
}

TEST(ZincheckRun, TheSameSeedGivesTheSameOrder) {
    TestFolder folder;
    std::string collection = "Title\n";
    for (int i = 0; i < 30; ++i) {
        collection += "entry " + std::to_string(i) + "\n";
    }
    const std::string path = folder.Write("c.zin", collection + "Last\n");
    const ToolOutcome first = Zincheck({"--seed", "4294967295", path});
    EXPECT_EQ(first.out, Zincheck({"--seed", "4294967295", path}).out);
    EXPECT_NE(first.out, Zincheck({"--seed", "1", path}).out);
}

TEST(ZincheckRun, TicksShowTheBarFromPositionZeroKeepingBlanks) {
    TestFolder folder;
    const std::string path = folder.Write("c.zin", "AB\nC\n");
    const ToolOutcome outcome = Zincheck({"--ticks", "4", path});
    const std::string blanks(55, ' ');
    EXPECT_EQ(outcome.out, blanks + "\n" + blanks + "\n" + std::string(54, ' ') + "A\n" +
                               std::string(53, ' ') + "AB\n");
    EXPECT_EQ(Zincheck({"--ticks", "0", path}).out, "");
}

TEST(ZincheckRun, MissingCollectionUsesTheSeparator) {
    TestFolder folder;
    const ToolOutcome plain = Zincheck({folder.Path("gone.zin")});
    EXPECT_EQ(plain.status, kZincheckLoaded);
    EXPECT_TRUE(plain.out.starts_with("The collection of quotes/jokes")) << plain.out;
    EXPECT_TRUE(plain.out.ends_with("opens. : \n"));
    const ToolOutcome custom = Zincheck({"--separator", " * ", folder.Path("gone.zin")});
    EXPECT_TRUE(custom.out.ends_with("opens. * \n"));
    EXPECT_EQ(Zincheck({"--separator", "", ""}).out.find(" : "), std::string::npos);
}

TEST(ZincheckRun, FailuresAreWordedAsTheErrorBoxShowsThem) {
    TestFolder folder;
    const ToolOutcome empty = Zincheck({folder.Write("empty.zin", "")});
    EXPECT_EQ(empty.status, kZincheckFailed);
    EXPECT_EQ(empty.err, "List index out of bounds (0)\n");
    EXPECT_EQ(empty.out, "");
    const ToolOutcome unreadable = Zincheck({"/proc/self/mem"});
    EXPECT_EQ(unreadable.status, kZincheckFailed);
    EXPECT_EQ(unreadable.err, "I/O error 5.\n");
}

TEST(ZincheckRun, SpecialFilesAreMissingAndRunningOutOfMemoryFailsCleanly) {
    TestFolder folder;
    ASSERT_EQ(mkfifo(folder.Path("fifo.zin").c_str(), 0600), 0);
    for (const std::string& path : {folder.Path("fifo.zin"), std::string("/dev/zero")}) {
        const ToolOutcome special = Zincheck({path});
        EXPECT_EQ(special.status, kZincheckLoaded) << path;
        EXPECT_TRUE(special.out.starts_with("The collection of quotes/jokes")) << path;
    }
    if (!kCanLimitMemory) {
        GTEST_SKIP() << "no memory limit under AddressSanitizer";
    }
    const std::string big = WriteOversizedFile(folder.Path("big.zin"));
    const std::string tooLarge = "The collection is too large for the memory available.\n";
    EXPECT_EQ(
        RunWithMemoryLimit(256 << 20, [&] { return Zincheck({big}).err == tooLarge ? 0 : 1; }), 0);
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    std::string reason;
};

class ZincheckUsage : public testing::TestWithParam<UsageCase> {};

TEST_P(ZincheckUsage, IsAUsageError) {
    const ToolOutcome outcome = Zincheck(GetParam().args);
    EXPECT_EQ(outcome.status, kZincheckUsageError);
    EXPECT_EQ(outcome.err, "zincheck: " + GetParam().reason + "\n" + kUsage);
    EXPECT_EQ(outcome.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ZincheckUsage,
    testing::Values(UsageCase{"NoPath", {}, "no collection PATH given"},
                    UsageCase{"TwoPaths", {"a", "b"}, "more than one PATH given"},
                    UsageCase{"UnknownOption", {"--speed", "3", "a"}, "unknown option '--speed'"},
                    UsageCase{"SeedWithoutValue", {"a", "--seed"}, "--seed needs a value"},
                    UsageCase{"NegativeSeed",
                              {"--seed", "-1", "a"},
                              "--seed needs a whole number from 0 to 4294967295, not '-1'"},
                    UsageCase{"SeedTooLarge",
                              {"--seed", "4294967296", "a"},
                              "--seed is larger than 4294967295: '4294967296'"},
                    UsageCase{"TicksNotANumber",
                              {"--ticks", "ten", "a"},
                              "--ticks needs a whole number from 0 to 4294967295, not 'ten'"},
                    UsageCase{"EmptyTicks",
                              {"--ticks", "", "a"},
                              "--ticks needs a whole number from 0 to 4294967295"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ZincheckRun, DoubleDashAllowsAPathBeginningWithADash) {
    TestFolder folder;
    folder.Write("-odd.zin", "T\nA\n");
    std::filesystem::current_path(folder.Path(""));
    EXPECT_EQ(Zincheck({"--", "-odd.zin"}).out, "T A\n");
    EXPECT_EQ(Zincheck({"--help"}).out, kUsage);
    std::filesystem::current_path("/");
}

} // namespace
