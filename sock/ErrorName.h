#pragma once

#include <cstdint>
#include <string>

namespace zintra {

// WinSock's symbolic name for an error number, or "UNKNOWN ERROR".
std::string ErrorName(std::int32_t code);

// How an error number is reported: "Error #10061 (WSAECONNREFUSED)".
std::string ErrorNumberText(std::int32_t code);

// The system's own words for an error number ("Address already in use"), or "" where it has none.
std::string ErrorReason(std::int32_t code);

} // namespace zintra
