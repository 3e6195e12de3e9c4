#pragma once

#include <QString>
#include <string_view>

namespace zintra {

// Texts are byte strings. Valid UTF-8 shows as UTF-8; any other byte shows as its
// Windows-1252 character, so legacy single-byte collections read as they were written.
QString DisplayText(std::string_view bytes);

} // namespace zintra
