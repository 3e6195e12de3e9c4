#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zintra {

// Exit statuses of fortune2zin.
inline constexpr int kFortuneConverted = 0;
inline constexpr int kFortuneUnreadable = 1;
inline constexpr int kFortuneUsageError = 2;

// Converts the fortune file that `args` (the arguments after the program name) name into a
// collection on `out`; why a file could not be read, or what is wrong with the command line,
// goes to `err`.
int RunFortune2zin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace zintra
