#pragma once

#include <cstdint>
#include <string>

namespace zintra {

// WinSock's symbolic name for an error number, or "UNKNOWN ERROR".
std::string ErrorName(std::int32_t code);

// How an error number is reported: "Error #10061 (WSAECONNREFUSED)".
std::string ErrorNumberText(std::int32_t code);

} // namespace zintra
