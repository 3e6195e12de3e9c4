#include "Fortune2zin.h"

#include "FortuneConverter.h"
#include "TestFolder.h"
#include "Zincheck.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace zintra;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome Convert(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunFortune2zin(args, out, err);
    return {status, out.str(), err.str()};
}

const std::string kUsage =
    "usage: fortune2zin [--title TEXT] [--divider TEXT] [--last TEXT] FILE\n";

TEST(FortuneEntry, JoinsEachRecordIntoOneTrimmedLine) {
    EXPECT_EQ(FortuneEntry("  Look\tbefore \r\n\n  you leap.  \n"), "Look before you leap.");
    EXPECT_EQ(FortuneEntry("Caf\xc3\xa9 \xff\b_x"), "Caf\xc3\xa9 \xff\b_x") << "bytes kept";
    EXPECT_EQ(FortuneEntry("a\x1A"
                           "b"),
              "a b")
        << "a Ctrl-Z would end the line";
    EXPECT_EQ(FortuneEntry(" \t\r\n\x1A"), "");
}

TEST(Fortune2zin, WritesDividerTitleOneEntryPerRecordAndLastLine) {
    TestFolder folder;
    const std::string path = folder.Write(
        "proverbs", "%\nFirst\n  record\n%\n\n \t\n%\r\nSecond\r\n%\r\n%\nThird, no ending %");
    EXPECT_EQ(Convert({path}).out, "@@*DIV ~ \nproverbs\nFirst record\nSecond\n"
                                   "Third, no ending %\nThat is all for now.\n");
    const Outcome custom =
        Convert({"--divider", " | ", "--title", " Old  sayings ", "--last", "Bye", path});
    EXPECT_EQ(custom.status, kFortuneConverted);
    EXPECT_EQ(custom.out,
              "@@*DIV | \nOld sayings\nFirst record\nSecond\nThird, no ending %\nBye\n");
}

// Every record of the fortune files Debian ships becomes one entry, and the collection loads.
TEST(Fortune2zin, ConvertsDebiansFortunesIntoCollectionsThatLoad) {
    const std::filesystem::path shipped = "/usr/share/games/fortunes";
    ASSERT_TRUE(std::filesystem::is_directory(shipped)) << "scripts/setup installs fortunes-min";
    TestFolder folder;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(shipped)) {
        if (!entry.is_regular_file() || entry.is_symlink() || entry.path().extension() == ".dat") {
            continue;
        }
        ++files;
        const std::string bytes = ReadBytes(entry.path());
        std::size_t records = 0;
        std::size_t entryBytes = 0;
        std::istringstream lines(bytes + "\n%\n");
        std::string record;
        for (std::string line; std::getline(lines, line);) {
            if (line != "%") {
                record += line + "\n";
            } else if (const std::string text = FortuneEntry(record); !text.empty()) {
                ++records;
                entryBytes += text.size();
                record.clear();
            } else {
                record.clear();
            }
        }
        const Outcome converted = Convert({"--divider", " / ", entry.path().string()});
        ASSERT_EQ(converted.status, kFortuneConverted) << converted.err;
        EXPECT_EQ(std::count(converted.out.begin(), converted.out.end(), '\n'), records + 3)
            << entry.path();

        const std::string collection = folder.Write("c.zin", converted.out);
        std::ostringstream shown;
        std::ostringstream failure;
        ASSERT_EQ(RunZincheck({"--seed", "7", collection}, shown, failure), kZincheckLoaded)
            << failure.str();
        const std::string title = entry.path().filename().string();
        EXPECT_EQ(shown.str().size(), title.size() + 1 + entryBytes + 3 * records +
                                          std::string("That is all for now.\n").size())
            << "every entry is in the text that scrolls: " << entry.path();
    }
    EXPECT_GE(files, 3);
}

TEST(Fortune2zin, UnreadableFilesGiveTheirReason) {
    TestFolder folder;
    for (const auto& [path, reason] :
         {std::pair{folder.Path("gone"), std::string("No such file or directory")},
          std::pair{folder.Path(""), std::string("not a regular file")},
          std::pair{std::string("/dev/zero"), std::string("not a regular file")},
          std::pair{folder.Path("gone/x"), std::string("No such file or directory")}}) {
        const Outcome outcome = Convert({path});
        EXPECT_EQ(outcome.status, kFortuneUnreadable) << path;
        EXPECT_EQ(outcome.err, "fortune2zin: " + path + ": " + reason + "\n");
    }
}

TEST(Fortune2zin, AWrongCommandLineGivesTheUsage) {
    for (const auto& [args, reason] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{}, "no FILE given"},
             {{"a", "b"}, "more than one FILE given"},
             {{"--speed", "a"}, "unknown option '--speed'"},
             {{"a", "--last"}, "--last needs a value"},
             {{"--title", " \t", "a"}, "--title needs a text that is not blank"},
             {{"--divider", "a\nb", "a"}, "--divider must stay on one line"},
             {{"--title", "@@*NORANDOM", "a"}, "the title cannot be @@*NORANDOM"}}) {
        const Outcome outcome = Convert(args);
        EXPECT_EQ(outcome.status, kFortuneUsageError) << reason;
        EXPECT_EQ(outcome.err, "fortune2zin: " + reason + "\n" + kUsage);
        EXPECT_EQ(outcome.out, "");
    }
    EXPECT_EQ(Convert({"--help"}).out, kUsage);
}

} // namespace
