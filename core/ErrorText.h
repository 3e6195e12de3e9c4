#pragma once

#include <string>

namespace zintra {

// The text an error box shows for a failure: the message, with "." appended when it is not
// empty and its last character sorts after "." (so "Disk full" gains one, "(2)" does not).
std::string ErrorBoxText(const std::string& message);

} // namespace zintra
