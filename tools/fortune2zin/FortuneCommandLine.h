#pragma once

#include "tools/common/ArgumentScan.h"

#include <string>
#include <vector>

namespace zintra {

inline constexpr const char* kFortuneUsageLine =
    "usage: fortune2zin [--title TEXT] [--divider TEXT] [--last TEXT] FILE";

struct FortuneOptions {
    bool help = false;
    std::string divider = " ~ ";
    // Unless given, the fortune file's name (or "Quotations" where that would not do).
    std::string title;
    std::string last = "That is all for now.";
    std::string path;
};

// The arguments after the program name. "--" ends the options, so a FILE may begin with "-".
// The title and the last line are given as they will stand in the collection (see
// FortuneEntry); texts that would break the collection's lines are refused.
FortuneOptions ParseFortuneCommandLine(const std::vector<std::string>& args);

} // namespace zintra
