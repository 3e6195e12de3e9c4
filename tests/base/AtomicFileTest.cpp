#include "base/AtomicFile.h"

#include "base/Exceptions.h"
#include "tests/support/TestFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

using namespace zintra;

namespace {

constexpr uid_t kNobody = 65534;

// The failure text of a write to `path`, or "written".
std::string WriteOutcome(const std::string& path) {
    try {
        WriteFileAtomically(path, "new\r\n");
    } catch (const EFCreateError& error) {
        return error.Message();
    }
    return "written";
}

// A FIFO, a private null device (only root may make one; a real one must never be at risk) and
// a folder, reached through a link: the write fails and the thing is left as it was.
TEST(AtomicFile, ReplacesNothingButARegularFile) {
    TestFolder folder;
    const std::string path = folder.Path("config.ini");
    const std::string special = folder.Path("special");
    const std::vector<std::pair<std::function<int()>, std::string>> kinds = {
        {[&] { return mkfifo(special.c_str(), 0600); }, "Not a regular file"},
        {[&] { return mknod(special.c_str(), S_IFCHR | 0666, makedev(1, 3)); },
         "Not a regular file"},
        {[&] { return mkdir(special.c_str(), 0700); }, "Is a directory"}};
    for (const auto& [make, reason] : kinds) {
        struct stat before {};
        struct stat after {};
        if (make() != 0 || symlink(special.c_str(), path.c_str()) != 0) {
            continue;
        }
        stat(special.c_str(), &before);
        EXPECT_EQ(WriteOutcome(path), "Cannot create file \"" + path + "\". " + reason);
        stat(special.c_str(), &after);
        EXPECT_EQ(std::tie(after.st_ino, after.st_mode, after.st_rdev),
                  std::tie(before.st_ino, before.st_mode, before.st_rdev));
        EXPECT_EQ(folder.EntryCount(), 2u) << reason;
        std::filesystem::remove(special);
        std::filesystem::remove(path);
    }
}

TEST(AtomicFile, RefusesAFileTheUserMayNotWriteAndKeepsTheOwnerOfOneRootWrites) {
    TestFolder folder;
    const std::string path = folder.Write("config.ini", "old\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    // Run as root, the test hands both to nobody, who may write in the folder but not the file.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(folder.Path("").c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
    }
    const pid_t child = fork();
    if (child == 0) {
        const bool user = !root || (setgid(kNobody) == 0 && setuid(kNobody) == 0);
        _exit(user && WriteOutcome(path).ends_with("\". Permission denied") ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_EQ(folder.EntryCount(), 1u);
    if (root) {
        EXPECT_EQ(WriteOutcome(path), "written");
        EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0444));
        struct stat after {};
        stat(path.c_str(), &after);
        EXPECT_EQ(std::tie(after.st_uid, after.st_gid), std::tie(kNobody, kNobody));
    }
}

// The file may be written, its folder may not take the new one: the message blames the folder.
TEST(AtomicFile, AFolderThatTakesNoNewFileIsNamed) {
    TestFolder folder;
    const std::string path = folder.Write("config.ini", "old\r\n");
    const std::string where = folder.Path("");
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(chmod(where.c_str(), 0555), 0);
    const pid_t child = fork();
    if (child == 0) {
        const bool user = geteuid() != 0 || (setgid(kNobody) == 0 && setuid(kNobody) == 0);
        const std::string expected = "Cannot create file \"" + path +
                                     "\". No new file can be made in the folder \"" +
                                     where.substr(0, where.size() - 1) + "\": Permission denied";
        _exit(user && WriteOutcome(path) == expected ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    chmod(where.c_str(), 0700);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(path), "old\r\n");
}

TEST(AtomicFile, RemovesOnlyTheTemporaryFilesOfWritersThatAreGone) {
    TestFolder folder;
    const pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    waitpid(gone, nullptr, 0);
    const std::string stale = "config.ini.tmp-" + std::to_string(gone) + "-3";
    const std::string running = "config.ini.tmp-" + std::to_string(getppid()) + "-0";
    for (const std::string& name : {stale, running, std::string("config.ini.tmp-x-1")}) {
        folder.Write(name, "");
    }
    EXPECT_EQ(WriteOutcome(folder.Path("config.ini")), "written");
    EXPECT_FALSE(std::filesystem::exists(folder.Path(stale)));
    EXPECT_EQ(folder.EntryCount(), 3u);
}

} // namespace
