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

// Gathers one record's lines as its entry text, so that only one record is held at a time.
class FortuneRecord {
public:
    void AddLine(std::string_view line);
    const std::string& Entry() const { return entry_; }
    // Writes the entry as a line, if the record held anything but blanks, and starts the next.
    void End(std::ostream& out);

private:
    std::string entry_;
    bool blankPending_ = false;
};

// Turns the bytes of a fortune file, handed in pieces split anywhere, into a collection on
// `out`: the divider line and the title at once, one entry per record that is not blank as each
// record ends, and the last line at Finish. Records are separated by lines holding only "%";
// lines end at LF, and a CR before it does not count.
class FortuneConverter {
public:
    FortuneConverter(const FortuneOptions& options, std::ostream& out);

    void Add(std::string_view bytes);
    void Finish();

private:
    void EndLine();

    const FortuneOptions& options_;
    std::ostream& out_;
    FortuneRecord record_;
    std::string line_; // the current line, while it spans pieces
};

// Converts a whole fortune file with FortuneConverter. Throws std::system_error when the file
// cannot be read.
void ConvertFortunes(std::FILE* file, const FortuneOptions& options, std::ostream& out);

} // namespace zintra
