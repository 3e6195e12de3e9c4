#pragma once

#include <string>

namespace zintra {

// Whether something other than a folder exists at `path` (relative to the current directory).
bool FileExists(const std::string& path);

} // namespace zintra
