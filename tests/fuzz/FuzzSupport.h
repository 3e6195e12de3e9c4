#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zintra {

// Fails the run when a property does not hold; libFuzzer keeps the input that made it fail.
void Require(bool holds, const char* what);

// The lines of `bytes` by the text-file line rules, read the plain way: split at LF, cut at a
// Ctrl-Z, every CR dropped.
std::vector<std::string> ReferenceLines(std::string_view bytes);

// Loads `bytes` as a collection file (read `readSize` bytes at a time, shuffled from `seed`) and
// checks the assembled text against the marker rules worked out plainly: the title and a blank,
// every entry exactly once followed by the Divider, in file order under "@@*NORANDOM" and
// otherwise in the order plain GetRandom draws give, then the last line. Too few lines must fail
// naming the first missing one. Gives the number of entries, or nothing for such a failure.
std::optional<std::size_t> CheckCollection(std::string_view bytes, std::size_t readSize,
                                           std::uint32_t seed);

} // namespace zintra
