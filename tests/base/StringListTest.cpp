#include "base/StringList.h"

#include "tests/support/TestFolder.h"

#include <gtest/gtest.h>

using namespace zintra;

namespace {

TEST(StringList, KeepsItemsInOrderAndSearchesIgnoringCase) {
    TStringList list;
    EXPECT_EQ(list.Add("Alpha"), 0);
    EXPECT_EQ(list.Add("beta"), 1);
    list.Add("ALPHA");
    list.Put(1, "Gamma");
    EXPECT_EQ(list.Get(1), "Gamma");
    EXPECT_EQ(list.IndexOf("alpha"), 0);
    EXPECT_EQ(list.IndexOf("GAMMA"), 1);
    EXPECT_EQ(list.IndexOf("beta"), -1);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.IndexOf("alpha"), 1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, CarriesAttachedValues) {
    TStringListOf<int> list;
    list.Add("one", 1);
    list.Add("two");
    list.PutObject(1, 2);
    EXPECT_EQ(list.GetObject(0), 1);
    EXPECT_EQ(list.GetObject(1), 2);
}

TEST(StringList, IndexOutsideTheListRaisesWithTheIndex) {
    TStringList list;
    list.Add("only");
    const auto message = [&](auto operation) {
        try {
            operation();
        } catch (const EListError& error) {
            return error.Message();
        }
        return std::string("no failure");
    };
    EXPECT_EQ(message([&] { list.Get(1); }), "List index out of bounds (1)");
    EXPECT_EQ(message([&] { list.Get(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(message([&] { list.Delete(2); }), "List index out of bounds (2)");
    EXPECT_EQ(message([&] { list.Put(5, "x"); }), "List index out of bounds (5)");
    EXPECT_EQ(list.Get(0), "only");
}

TEST(StringList, SavesEveryItemWithCrLfReplacingTheFile) {
    TestFolder folder;
    const std::string path = folder.Write("config.ini", "old content that is longer\r\n");
    TStringList list;
    list.Add(" : ");
    list.Add("110");
    list.Add("");
    list.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), " : \r\n110\r\n\r\n");
    EXPECT_EQ(folder.EntryCount(), 1u) << "no temporary file is left";
}

TEST(StringList, SaveWritesThroughSymbolicLinksAndKeepsTheMode) {
    namespace fs = std::filesystem;
    TestFolder folder;
    fs::create_directory(folder.Path("real"));
    const std::string target = folder.Write("real/settings", "old\r\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    // A relative link to a link: both stay links, and the file at the end gets the new text.
    fs::create_symlink("real/settings", folder.Path("hop"));
    fs::create_symlink("hop", folder.Path("config.ini"));
    TStringList list;
    list.Add("new");
    list.SaveToFile(folder.Path("config.ini"));
    EXPECT_TRUE(fs::is_symlink(folder.Path("config.ini")));
    EXPECT_TRUE(fs::is_symlink(folder.Path("hop")));
    EXPECT_EQ(ReadBytes(target), "new\r\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::directory_iterator(folder.Path("real"))->path(), target) << "no temporary file";
}

TEST(StringList, SaveBelowARegularFileFailsCleanly) {
    TestFolder folder;
    folder.Write("file", "x");
    const std::string path = folder.Path("file/config.ini");
    TStringList list;
    list.Add("a");
    try {
        list.SaveToFile(path);
        FAIL() << "saved";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.Message(), "Cannot create file \"" + path + "\". Not a directory");
    }
    EXPECT_EQ(ReadBytes(folder.Path("file")), "x");
}

TEST(StringList, SaveOverAFolderFailsAndLeavesNoTemporaryFile) {
    TestFolder folder;
    std::filesystem::create_directory(folder.Path("config.ini"));
    TStringList list;
    list.Add("a");
    EXPECT_THROW(list.SaveToFile(folder.Path("config.ini")), EFCreateError);
    EXPECT_EQ(folder.EntryCount(), 1u);
}

} // namespace
