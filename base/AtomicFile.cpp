#include "base/AtomicFile.h"

#include "base/Exceptions.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zintra {
namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
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

// Creates a new, unique temporary file beside `path`, with the mode of the file it is to replace,
// or, for a new file, mode 0666 less the umask.
int CreateTemporary(const std::string& path, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (;;) {
        tempPath = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            struct stat existing {};
            if (fd >= 0 && stat(path.c_str(), &existing) == 0) {
                fchmod(fd, existing.st_mode & 07777);
            }
            return fd;
        }
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
    std::string tempPath;
    const int fd = CreateTemporary(target, tempPath);
    if (fd < 0) {
        throw EFCreateError(path, std::generic_category().message(errno));
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
    throw EFCreateError(path, std::generic_category().message(error));
}

} // namespace zintra
