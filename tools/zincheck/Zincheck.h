#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zintra {

// Exit statuses of zincheck.
inline constexpr int kZincheckLoaded = 0;
inline constexpr int kZincheckFailed = 1;
inline constexpr int kZincheckUsageError = 2;

// Loads a collection exactly as the message bar does, from a file or from an http: or https:
// address (fetched as the program fetches it; this needs a QCoreApplication and the socket unit)
// and writes the assembled text (or, with
// --ticks, what the bar shows tick by tick) to `out`; failures go to `err` as the error box
// words them. `args` are the arguments after the program name.
int RunZincheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace zintra
