#pragma once

#include <string>

namespace zintra {

// Where "config.ini" (and the web copies beside it) live: in the program's own folder when the
// user may write there (a build folder, a portable copy), so every existing set-up keeps its
// file; otherwise, for an installed program, in the user's configuration folder.
std::string SettingsFilePath();

// The same choice from its inputs: the program's folder, whether the user may write it, and the
// values of XDG_CONFIG_HOME and HOME (null when unset).
std::string SettingsFilePathFor(const std::string& programFolder, bool programFolderWritable,
                                const char* configHome, const char* home);

// Makes the folders of `settingsPath` that do not exist yet, each private to the user (mode
// 0700). Raises EFCreateError naming a folder that cannot be made.
void MakeSettingsFolder(const std::string& settingsPath);

} // namespace zintra
