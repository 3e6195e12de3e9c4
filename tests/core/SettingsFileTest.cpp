#include "core/SettingsFile.h"

#include "core/SettingsPath.h"
#include "tests/support/MemoryLimit.h"
#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zintra;

namespace {

struct SettingsCase {
    const char* name;
    std::string bytes;
    SettingsLines lines;
};

class SettingsFileRead : public testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsFileRead, ReadsThreeLinesVerbatim) {
    TestFolder folder;
    const SettingsLines lines = ReadSettingsFile(folder.Write("config.ini", GetParam().bytes));
    EXPECT_EQ(lines.Separator, GetParam().lines.Separator);
    EXPECT_EQ(lines.Interval, GetParam().lines.Interval);
    EXPECT_EQ(lines.Path, GetParam().lines.Path);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsFileRead,
    testing::Values(SettingsCase{"Three", " : \r\n110\r\n/a/b.zin\r\n", {" : ", "110", "/a/b.zin"}},
                    SettingsCase{"OneLine", " - \r\n", {" - ", "", ""}},
                    SettingsCase{"TwoLines", " : \n250", {" : ", "250", ""}},
                    SettingsCase{"FiveLines", "a\nb\nc\nd\ne\n", {"a", "b", "c"}},
                    SettingsCase{
                        "BlanksAroundSeparator", "  ~  \n $FA\nx\n", {"  ~  ", " $FA", "x"}},
                    SettingsCase{"Empty", "", {"", "", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFile, LivesBesideTheExecutable) {
    char exe[4096];
    const ssize_t size = readlink("/proc/self/exe", exe, sizeof exe);
    ASSERT_GT(size, 0);
    const std::string folder = std::filesystem::path(std::string(exe, size)).parent_path();
    EXPECT_EQ(SettingsFilePath(), folder + "/config.ini");
}

TEST(SettingsFile, AnInstalledProgramKeepsItInTheUsersConfigurationFolder) {
    EXPECT_EQ(SettingsFilePathFor("/opt/z/", true, "/cfg", "/home/u"), "/opt/z/config.ini");
    EXPECT_EQ(SettingsFilePathFor("/usr/bin/", false, "/cfg/", "/home/u"),
              "/cfg/zintra/config.ini");
    EXPECT_EQ(SettingsFilePathFor("/usr/bin/", false, nullptr, "/home/u"),
              "/home/u/.config/zintra/config.ini");
    // A relative XDG_CONFIG_HOME counts as unset; without HOME, the account's home folder.
    EXPECT_EQ(SettingsFilePathFor("/usr/bin/", false, "cfg", nullptr),
              std::string(getpwuid(getuid())->pw_dir) + "/.config/zintra/config.ini");
}

TEST(SettingsFile, ItsMissingFoldersAreMadePrivate) {
    TestFolder folder;
    const std::string path = folder.Path("config/zintra/config.ini");
    MakeSettingsFolder(path);
    MakeSettingsFolder(path);
    for (const char* made : {"config", "config/zintra"}) {
        struct stat status {};
        ASSERT_EQ(stat(folder.Path(made).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u) << made;
    }
}

TEST(SettingsFile, AnUnreadableFileIsNamed) {
    TestFolder folder;
    const std::string path = folder.Path("config.ini");
    std::filesystem::create_directory(path);
    try {
        ReadSettingsFile(path);
        FAIL() << "a folder was read as settings";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Cannot read file \"" + path + "\". File access denied");
    }
}

TEST(SettingsFile, ASettingsFileTooLargeForMemoryIsReportedInWords) {
    if (!kCanLimitMemory) {
        GTEST_SKIP() << "no memory limit under AddressSanitizer";
    }
    TestFolder folder;
    const std::string big = WriteOversizedFile(folder.Path("config.ini"));
    EXPECT_EQ(RunWithMemoryLimit(256 << 20,
                                 [&] {
                                     try {
                                         ReadSettingsFile(big);
                                     } catch (const ESettingsTooLarge& error) {
                                         return error.Message().ends_with(
                                                    "too large for the memory available")
                                                    ? 0
                                                    : 2;
                                     }
                                     return 1;
                                 }),
              0);
}

} // namespace
