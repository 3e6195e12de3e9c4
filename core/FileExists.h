#pragma once

#include <string>

namespace zintra {

// Whether a regular file exists at `path` (relative to the current directory), through any
// symbolic links. A folder, FIFO or device counts as nothing there: opening a FIFO would wait for
// a writer and a device may never end.
bool FileExists(const std::string& path);

} // namespace zintra
