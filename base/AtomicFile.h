#pragma once

#include <string>
#include <string_view>

namespace zintra {

// Replaces the file at `path` with `content` so that readers only ever see the old file or the
// whole new one: a temporary file beside it is written, synced and renamed over it. A symbolic
// link is written through (its target is replaced, the link kept) and an existing file keeps its
// mode, and its owner and group where this process may give them. Only a regular file that this
// process may write is replaced: anything else (a folder, FIFO, device or socket, or a file
// without write permission) is left untouched and the write fails. Temporary files that an
// earlier, killed writer left beside it are removed. On failure EFCreateError names `path` and
// the platform's reason.
void WriteFileAtomically(const std::string& path, std::string_view content);

} // namespace zintra
