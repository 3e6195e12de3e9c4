#include "core/SettingsPath.h"

#include "base/Exceptions.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zintra {

namespace {

constexpr const char* kSettingsName = "config.ini";

std::string ProgramFolder() {
    char exe[PATH_MAX];
    const ssize_t size = readlink("/proc/self/exe", exe, sizeof exe);
    if (size <= 0 || size == sizeof exe) {
        throw EInOutError(size <= 0 ? errno : ENAMETOOLONG);
    }
    const std::string path(exe, static_cast<std::size_t>(size));
    return path.substr(0, path.rfind('/') + 1);
}

bool Absolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

// HOME, or the account's home folder when HOME is unset (a service, a bare su).
const char* HomeFolder(const char* home) {
    if (Absolute(home)) {
        return home;
    }
    const passwd* account = getpwuid(getuid());
    return account != nullptr ? account->pw_dir : "/";
}

} // namespace

std::string SettingsFilePath() {
    const std::string folder = ProgramFolder();
    const bool writable = faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
    return SettingsFilePathFor(folder, writable, std::getenv("XDG_CONFIG_HOME"),
                               std::getenv("HOME"));
}

std::string SettingsFilePathFor(const std::string& programFolder, bool programFolderWritable,
                                const char* configHome, const char* home) {
    if (programFolderWritable) {
        return programFolder + kSettingsName;
    }
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    std::string base =
        Absolute(configHome) ? configHome : std::string(HomeFolder(home)) + "/.config";
    if (!base.ends_with('/')) {
        base += '/';
    }
    return base + "zintra/" + kSettingsName;
}

void MakeSettingsFolder(const std::string& settingsPath) {
    const std::string folder = settingsPath.substr(0, settingsPath.rfind('/') + 1);
    for (std::size_t end = folder.find('/', 1); end != std::string::npos;
         end = folder.find('/', end + 1)) {
        const std::string part = folder.substr(0, end);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            throw EFCreateError(part, std::generic_category().message(errno));
        }
    }
}

} // namespace zintra
