#include "sock/ErrorName.h"

#include "winsock/WinSockErrors.h"

namespace zintra {

std::string ErrorName(std::int32_t code) {
    for (const WinSockError& error : WinSockErrors()) {
        if (error.Code == code) {
            return error.Name;
        }
    }
    return "UNKNOWN ERROR";
}

std::string ErrorNumberText(std::int32_t code) {
    return "Error #" + std::to_string(code) + " (" + ErrorName(code) + ")";
}

} // namespace zintra
