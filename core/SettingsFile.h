#pragma once

#include "base/Exceptions.h"
#include "core/TextFile.h"

#include <cstdint>
#include <string>

namespace zintra {

// The three lines of "config.ini": Separator, scroll interval text, collection path.
struct SettingsLines {
    std::string Separator;
    std::string Interval;
    std::string Path;
};

// Defaults when no settings file exists.
inline constexpr const char* kDefaultSeparator = " : ";
inline constexpr std::int32_t kDefaultInterval = 110;

// A settings file whose lines do not fit the memory available.
class ESettingsTooLarge : public Exception {
public:
    ESettingsTooLarge();
};

// A collection path that a settings line cannot hold: one with a line feed or carriage return
// would be cut at the next start.
class EUnsavablePath : public Exception {
public:
    explicit EUnsavablePath(const std::string& path);
};

// Raises EUnsavablePath when `path` cannot be kept as the settings file's third line.
void CheckCollectionPath(const std::string& path);

// Reads the first three lines (missing lines are empty, the Separator is kept verbatim).
// Raises an Exception naming the file when it cannot be opened or read, ESettingsTooLarge when it
// runs out of memory. The file is written with TStringList::SaveToFile, all items each followed by
// CR LF.
SettingsLines ReadSettingsFile(const std::string& path);
// The same from a file already open.
SettingsLines ReadSettings(TextFile& file);

} // namespace zintra
