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

// The executable's folder followed by "config.ini"; the current directory plays no part.
std::string SettingsFilePath();

// A settings file whose lines do not fit the memory available.
class ESettingsTooLarge : public Exception {
public:
    ESettingsTooLarge();
};

// Reads the first three lines (missing lines are empty, the Separator is kept verbatim).
// Raises EInOutError when the file cannot be opened or read, ESettingsTooLarge when it runs out
// of memory. The file is written with TStringList::SaveToFile, all items each followed by CR LF.
SettingsLines ReadSettingsFile(const std::string& path);
// The same from a file already open.
SettingsLines ReadSettings(TextFile& file);

} // namespace zintra
