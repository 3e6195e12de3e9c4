#include "core/SettingsFile.h"

#include "base/Exceptions.h"

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace zintra {

std::string SettingsFilePath() {
    char exe[PATH_MAX];
    const ssize_t size = readlink("/proc/self/exe", exe, sizeof exe);
    if (size <= 0 || size == sizeof exe) {
        throw EInOutError(size <= 0 ? errno : ENAMETOOLONG);
    }
    const std::string path(exe, static_cast<std::size_t>(size));
    return path.substr(0, path.rfind('/') + 1) + "config.ini";
}

SettingsLines ReadSettingsFile(const std::string& path) {
    TextFile file(path);
    return ReadSettings(file);
}

SettingsLines ReadSettings(TextFile& file) {
    SettingsLines lines;
    file.ReadLine(lines.Separator);
    file.ReadLine(lines.Interval);
    file.ReadLine(lines.Path);
    return lines;
}

} // namespace zintra
