#pragma once

#include <cstdint>
#include <string>

namespace zintra {

// WinSock's symbolic name for an error number, or "UNKNOWN ERROR".
std::string ErrorName(std::int32_t code);

} // namespace zintra
