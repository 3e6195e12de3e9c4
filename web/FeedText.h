#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zintra {

// A headline is cut to this many characters, the ellipsis that marks the cut included.
inline constexpr std::size_t kHeadlineLimit = 300;
// Of a headline's source, only this many bytes are read: more can never show.
inline constexpr std::size_t kHeadlineSourceLimit = 64 * 1024;

// Turns the UTF-8 text of a feed's title into one line of plain text for the bar: with
// `markup`, HTML tags are removed and its entities decoded; white space runs become one blank,
// the ends are trimmed, control characters and the marks that turn the direction of the text
// around are dropped, and a text longer than kHeadlineLimit characters is cut, ending in "…".
std::string PlainHeadline(std::string_view text, bool markup);

} // namespace zintra
