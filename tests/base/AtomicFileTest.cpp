#include "base/AtomicFile.h"

#include "base/Exceptions.h"
#include "tests/support/TestFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zintra;

namespace {

constexpr uid_t kNobody = 65534;

// The failure text of a write to `path`, or "written".
std::string WriteOutcome(const std::string& path, std::string_view content = "new\r\n") {
    try {
        WriteFileAtomically(path, content);
    } catch (const EFCreateError& error) {
        return error.Message();
    }
    return "written";
}

std::string Refusal(const std::string& path, const std::string& reason) {
    return "Cannot create file \"" + path + "\". " + reason;
}

struct stat StatusOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status;
}

// Runs `body` as the unprivileged user when this test runs as root; gives its result.
int AsOrdinaryUser(const std::function<int()>& body) {
    if (geteuid() != 0) {
        return body();
    }
    const pid_t child = fork();
    if (child == 0) {
        _exit(setgid(kNobody) == 0 && setuid(kNobody) == 0 ? body() : 99);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct SpecialCase {
    const char* name;
    std::function<bool(const std::string&)> make;
    const char* reason;
};

class AtomicFileRefuses : public testing::TestWithParam<SpecialCase> {};

TEST_P(AtomicFileRefuses, WhatIsNoRegularFileAndTouchesNothing) {
    TestFolder folder;
    const std::string special = folder.Path("special");
    if (!GetParam().make(special)) {
        GTEST_SKIP() << "cannot make it here";
    }
    const struct stat before = StatusOf(special);
    // Reached directly, and through a link as "config.ini".
    ASSERT_EQ(symlink(special.c_str(), folder.Path("config.ini").c_str()), 0);
    for (const std::string& path : {special, folder.Path("config.ini")}) {
        EXPECT_EQ(WriteOutcome(path), Refusal(path, GetParam().reason));
    }
    const struct stat after = StatusOf(special);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_rdev, before.st_rdev);
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path("config.ini")));
    EXPECT_EQ(folder.EntryCount(), 2u) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, AtomicFileRefuses,
    testing::Values(
        SpecialCase{"Fifo", [](const std::string& p) { return mkfifo(p.c_str(), 0600) == 0; },
                    "Not a regular file"},
        // A private copy of the null device: a real one must never be at risk.
        SpecialCase{"Device",
                    [](const std::string& p) {
                        return mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
                    },
                    "Not a regular file"},
        SpecialCase{"Socket",
                    [](const std::string& p) {
                        sockaddr_un address{};
                        address.sun_family = AF_UNIX;
                        p.copy(address.sun_path, sizeof address.sun_path - 1);
                        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
                        const bool bound =
                            bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
                        close(fd);
                        return bound;
                    },
                    "Not a regular file"},
        SpecialCase{"Folder", [](const std::string& p) { return mkdir(p.c_str(), 0700) == 0; },
                    "Is a directory"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AtomicFile, AFileThisUserMayNotWriteIsRefusedAsWritingInPlaceWould) {
    TestFolder folder;
    const std::string path = folder.Write("config.ini", "old\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    if (geteuid() == 0) {
        // The folder is the user's to write in; only the file's own permission forbids.
        ASSERT_EQ(chown(folder.Path("").c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
    }
    const int refused = AsOrdinaryUser(
        [&] { return WriteOutcome(path) == Refusal(path, "Permission denied") ? 0 : 1; });
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_EQ(folder.EntryCount(), 1u);
    // Root may write in place, so it may replace the file too.
    if (geteuid() == 0) {
        EXPECT_EQ(WriteOutcome(path), "written");
        EXPECT_EQ(StatusOf(path).st_mode & 07777, 0444u);
    }
}

TEST(AtomicFile, KeepsOwnerGroupAndModeWhenRunAsRoot) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root may give a file to its owner";
    }
    TestFolder folder;
    const std::string path = folder.Write("config.ini", "old\r\n");
    ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    EXPECT_EQ(WriteOutcome(path), "written");
    const struct stat after = StatusOf(path);
    EXPECT_EQ(after.st_uid, kNobody);
    EXPECT_EQ(after.st_gid, kNobody);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(path), "new\r\n");
}

TEST(AtomicFile, RemovesTheTemporaryFilesOfWritersThatAreGone) {
    TestFolder folder;
    const pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    waitpid(gone, nullptr, 0);
    const std::string stale = "config.ini.tmp-" + std::to_string(gone) + "-3";
    // A running writer's file, and names that are no temporary file of this one.
    const std::vector<std::string> kept = {"config.ini.tmp-" + std::to_string(getppid()) + "-0",
                                           "config.ini.tmp-x-1",
                                           "other.ini.tmp-" + std::to_string(gone) + "-3"};
    folder.Write(stale, "torn");
    for (const std::string& name : kept) {
        folder.Write(name, "");
    }
    EXPECT_EQ(WriteOutcome(folder.Path("config.ini")), "written");
    EXPECT_FALSE(std::filesystem::exists(folder.Path(stale)));
    for (const std::string& name : kept) {
        EXPECT_TRUE(std::filesystem::exists(folder.Path(name))) << name;
    }
}

} // namespace
