#include "core/SettingsFile.h"

#include "base/Exceptions.h"

#include <new>

namespace zintra {

ESettingsTooLarge::ESettingsTooLarge()
    : Exception("The settings file is too large for the memory available") {}

EUnsavablePath::EUnsavablePath(const std::string& path)
    : Exception("Cannot use \"" + path +
                "\" as the collection: its name holds a line break, which the settings file "
                "cannot keep. Rename the file and choose it again") {}

void CheckCollectionPath(const std::string& path) {
    if (path.find_first_of("\r\n") != std::string::npos) {
        throw EUnsavablePath(path);
    }
}

SettingsLines ReadSettingsFile(const std::string& path) {
    try {
        TextFile file(path);
        return ReadSettings(file);
    } catch (const EInOutError& failure) {
        // The file may not be where the user expects it: say which one could not be read.
        throw Exception("Cannot read file \"" + path + "\". " + failure.Message());
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
