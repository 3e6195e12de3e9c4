#include "tools/fortune2zin/Fortune2zin.h"

#include "tests/support/TestFolder.h"
#include "tests/support/ToolRun.h"
#include "tools/fortune2zin/FortuneConverter.h"
#include "tools/zincheck/Zincheck.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

using namespace zintra;

namespace {

ToolOutcome Convert(const std::vector<std::string>& args) {
    return RunTool(RunFortune2zin, args);
}

TEST(Fortune2zin, WritesDividerTitleOneEntryPerRecordAndLastLine) {
    EXPECT_EQ(FortuneEntry("  Caf\xc3\xa9\tbefore \r\n\n \xff\b_x\x1A."),
              "Caf\xc3\xa9 before \xff\b_x .");
    TestFolder folder;
    const std::string path = folder.Write(
        "proverbs", "%\nFirst\n  record\n%\n\n \t\n%\r\nSecond\r\n%\r\n%\nThird, no ending %");
    EXPECT_EQ(Convert({path}).out, "@@*DIV ~ \nproverbs\nFirst record\nSecond\n"
                                   "Third, no ending %\nThat is all for now.\n");
    const ToolOutcome custom =
        Convert({"--divider", " | ", "--title", " A  B ", "--last", "C", path});
    EXPECT_EQ(custom.status, kFortuneConverted);
    EXPECT_EQ(custom.out, "@@*DIV | \nA B\nFirst record\nSecond\nThird, no ending %\nC\n");
}

// Every record of the fortune files Debian ships becomes one entry, and the collection loads.
TEST(Fortune2zin, ConvertsDebiansFortunesIntoCollectionsThatLoad) {
    const std::filesystem::path shipped = "/usr/share/games/fortunes";
    ASSERT_TRUE(std::filesystem::is_directory(shipped)) << "scripts/setup installs fortunes-min";
    TestFolder folder;
    int files = 0;
    for (const auto& file : std::filesystem::directory_iterator(shipped)) {
        if (file.is_symlink() || file.path().extension() == ".dat") {
            continue;
        }
        ++files;
        std::size_t records = 0;
        std::size_t entryBytes = 0;
        std::istringstream lines(ReadBytes(file.path()) + "\n%\n");
        std::string record;
        for (std::string line; std::getline(lines, line);) {
            if (line != "%") {
                record += line + "\n";
                continue;
            }
            const std::size_t size = FortuneEntry(record).size();
            records += size > 0 ? 1 : 0;
            entryBytes += size;
            record.clear();
        }
        const ToolOutcome converted = Convert({"--divider", " / ", file.path()});
        ASSERT_EQ(converted.status, kFortuneConverted) << converted.err;
        EXPECT_EQ(std::ranges::count(converted.out, '\n'), records + 3) << file.path();

        const ToolOutcome shown = RunTool(RunZincheck, {folder.Write("c.zin", converted.out)});
        ASSERT_EQ(shown.status, kZincheckLoaded) << shown.err;
        // Title, blank, every entry with its divider, and the last line: nothing was cut off.
        EXPECT_EQ(shown.out.size(), file.path().filename().string().size() + 1 + entryBytes +
                                        3 * records + std::string("That is all for now.\n").size())
            << file.path();
    }
    EXPECT_GE(files, 3);
}

TEST(Fortune2zin, UnreadableFilesAndWrongCommandLinesSayWhy) {
    const std::string usage =
        "usage: fortune2zin [--title TEXT] [--divider TEXT] [--last TEXT] FILE\n";
    for (const auto& [path, reason] :
         {std::pair<std::string, std::string>{"/nowhere/gone", "No such file or directory"},
          {"/tmp", "not a regular file"},
          {"/dev/zero", "not a regular file"}}) {
        const ToolOutcome outcome = Convert({path});
        EXPECT_EQ(outcome.status, kFortuneUnreadable) << path;
        EXPECT_EQ(outcome.err, "fortune2zin: " + path + ": " + reason + "\n");
    }
    for (const auto& [args, reason] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{}, "no FILE given"},
             {{"--speed", "a"}, "unknown option '--speed'"},
             {{"a", "--last"}, "--last needs a value"},
             {{"--title", " \t", "a"}, "--title needs a text that is not blank"},
             {{"--divider", "a\nb", "a"}, "--divider must stay on one line"},
             {{"--title", "@@*NORANDOM", "a"}, "the title cannot be @@*NORANDOM"}}) {
        const ToolOutcome outcome = Convert(args);
        EXPECT_EQ(outcome.status, kFortuneUsageError) << reason;
        EXPECT_EQ(outcome.err, "fortune2zin: " + reason + "\n" + usage);
    }
    EXPECT_EQ(Convert({"--help"}).out, usage);
}

// Standard output on a full disk: nothing written is taken.
class FullOutput : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
};

TEST(ToolOutput, LostOutputOfEitherToolExitsWithOneAndSaysSo) {
    TestFolder folder;
    const std::string file = folder.Write("file", "%\nA saying\n%\nAnother\n");
    using Run = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);
    const std::vector<std::tuple<Run, std::string, std::vector<std::string>>> runs = {
        {RunZincheck, "zincheck", {file}},
        {RunZincheck, "zincheck", {"--ticks", "4294967295", file}},
        {RunZincheck, "zincheck", {"--help"}},
        {RunFortune2zin, "fortune2zin", {file}},
        {RunFortune2zin, "fortune2zin", {"--help"}}};
    for (const auto& [run, tool, args] : runs) {
        FullOutput full;
        std::ostream out(&full);
        std::ostringstream err;
        EXPECT_EQ(run(args, out, err), 1) << tool << " " << args.front();
        EXPECT_EQ(err.str(), tool + ": standard output could not be written\n");
    }
}

} // namespace
