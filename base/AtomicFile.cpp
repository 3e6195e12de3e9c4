#include "base/AtomicFile.h"

#include "base/Exceptions.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zintra {
namespace {

std::string Reason(int error) {
    return std::generic_category().message(error);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

std::string TemporaryPrefix(const std::string& path) {
    return path + ".tmp-";
}

// The file that writing to `path` changes: symbolic links followed to the end, so the new file
// replaces the link's target and the link stays. The target need not exist yet.
std::string FinalTarget(const std::string& path) {
    std::string target = path;
    char link[PATH_MAX];
    for (int hops = 0; hops < 40; ++hops) {
        const ssize_t size = readlink(target.c_str(), link, sizeof link);
        if (size < 0 || static_cast<std::size_t>(size) == sizeof link) {
            return target;
        }
        const std::string next(link, static_cast<std::size_t>(size));
        target = next.starts_with('/') ? next : FolderOf(target) + "/" + next;
    }
    return target;
}

// What the write would replace: nothing yet, or a regular file that this process may write.
// Writing in place would change a device or FIFO itself and fail on a folder or on a file
// without write permission; the replacement fails the same way and touches nothing.
std::optional<struct stat> ReplacedFile(const std::string& path, const std::string& target) {
    struct stat existing {};
    if (stat(target.c_str(), &existing) != 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        throw EFCreateError(path, Reason(errno));
    }
    if (S_ISDIR(existing.st_mode)) {
        throw EFCreateError(path, Reason(EISDIR));
    }
    if (!S_ISREG(existing.st_mode)) {
        throw EFCreateError(path, "Not a regular file");
    }
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        throw EFCreateError(path, Reason(errno));
    }
    return existing;
}

// "PID-N" of a temporary file name, with the PID of the process that made it.
std::optional<pid_t> MakerOf(std::string_view suffix) {
    const auto dash = suffix.find('-');
    const auto digits = [](std::string_view text) {
        return !text.empty() && text.size() < 10 &&
               text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (dash == std::string_view::npos || !digits(suffix.substr(0, dash)) ||
        !digits(suffix.substr(dash + 1))) {
        return std::nullopt;
    }
    return static_cast<pid_t>(std::stol(std::string(suffix.substr(0, dash))));
}

// Removes the temporary files of writers that were killed before they could clean up; a file
// whose writer still runs may be in use.
void RemoveStaleTemporaries(const std::string& target) {
    struct Closer {
        void operator()(DIR* folder) const { closedir(folder); }
    };
    const std::unique_ptr<DIR, Closer> folder(opendir(FolderOf(target).c_str()));
    if (!folder) {
        return;
    }
    const std::string prefix = TemporaryPrefix(NameOf(target));
    while (const dirent* entry = readdir(folder.get())) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix)) {
            continue;
        }
        const std::optional<pid_t> maker = MakerOf(name.substr(prefix.size()));
        if (maker && *maker != getpid() && kill(*maker, 0) != 0 && errno == ESRCH) {
            unlinkat(dirfd(folder.get()), entry->d_name, 0);
        }
    }
}

// Creates a new, unique temporary file beside `path`, with the mode, owner and group of the file
// it is to replace, or, for a new file, mode 0666 less the umask.
int CreateTemporary(const std::string& path, const std::optional<struct stat>& replaced,
                    std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (;;) {
        tempPath =
            TemporaryPrefix(path) + std::to_string(getpid()) + "-" + std::to_string(counter++);
        const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) {
            continue;
        }
        if (fd >= 0 && replaced) {
            // Only a privileged process may give the file to another owner. The mode comes
            // after, since a change of owner clears the set-ID bits.
            if (geteuid() == 0 && fchown(fd, replaced->st_uid, replaced->st_gid) != 0) {
                // A file system without owners keeps the content all the same.
            }
            fchmod(fd, replaced->st_mode & 07777);
        }
        return fd;
    }
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Makes the rename itself durable; a folder that cannot be synced changes nothing for readers.
void SyncFolder(const std::string& path) {
    const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

void WriteFileAtomically(const std::string& path, std::string_view content) {
    const std::string target = FinalTarget(path);
    const std::optional<struct stat> replaced = ReplacedFile(path, target);
    RemoveStaleTemporaries(target);
    std::string tempPath;
    const int fd = CreateTemporary(target, replaced, tempPath);
    if (fd < 0) {
        // The file itself may be writable: what refused is its folder.
        throw EFCreateError(path, "No new file can be made in the folder \"" + FolderOf(target) +
                                      "\": " + Reason(errno));
    }
    bool written = WriteAll(fd, content) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && rename(tempPath.c_str(), target.c_str()) == 0) {
        SyncFolder(target);
        return;
    }
    if (written) {
        error = errno;
    }
    unlink(tempPath.c_str());
    throw EFCreateError(path, Reason(error));
}

} // namespace zintra
