#pragma once

#include "tools/fortune2zin/FortuneCommandLine.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>

namespace zintra {

// A record as one entry line: every run of blanks, tabs and line ends becomes one blank and the
// ends are trimmed; every other byte stays as it is. A Ctrl-Z counts as a blank too, since a
// collection reader would end the line there.
std::string FortuneEntry(std::string_view record);

// Reads a fortune file (records separated by lines holding only "%") and writes it as a
// collection: the divider line, the title, one entry per record that is not blank, and the last
// line. Lines end at LF; a CR before it does not count. Throws std::system_error when the file
// cannot be read.
void ConvertFortunes(std::FILE* file, const FortuneOptions& options, std::ostream& out);

} // namespace zintra
