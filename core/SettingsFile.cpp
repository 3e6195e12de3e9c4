#include "core/SettingsFile.h"

#include "base/Exceptions.h"

#include <cerrno>
#include <climits>
#include <new>
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

ESettingsTooLarge::ESettingsTooLarge()
    : Exception("The settings file is too large for the memory available") {}

SettingsLines ReadSettingsFile(const std::string& path) {
    try {
        TextFile file(path);
        return ReadSettings(file);
    } catch (const std::bad_alloc&) {
        // What the reading held is free again, so the program goes on without its settings.
        throw ESettingsTooLarge();
    }
}

SettingsLines ReadSettings(TextFile& file) {
    SettingsLines lines;
    file.ReadLine(lines.Separator);
    file.ReadLine(lines.Interval);
    file.ReadLine(lines.Path);
    return lines;
}

} // namespace zintra
