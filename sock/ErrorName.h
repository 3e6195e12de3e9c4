#pragma once

#include <cstdint>
#include <string>

// WinSock's symbolic name for an error number, or "UNKNOWN ERROR".
std::string ErrorName(std::int32_t code);
