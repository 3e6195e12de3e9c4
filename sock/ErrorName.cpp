#include "sock/ErrorName.h"

#include "winsock/WinSockErrors.h"

#include <system_error>

namespace zintra {

namespace {

const WinSockError* Find(std::int32_t code) {
    for (const WinSockError& error : WinSockErrors()) {
        if (error.Code == code) {
            return &error;
        }
    }
    return nullptr;
}

} // namespace

std::string ErrorName(std::int32_t code) {
    const WinSockError* error = Find(code);
    return error ? error->Name : "UNKNOWN ERROR";
}

std::string ErrorNumberText(std::int32_t code) {
    return "Error #" + std::to_string(code) + " (" + ErrorName(code) + ")";
}

// The first system error an error number stands for speaks for it.
std::string ErrorReason(std::int32_t code) {
    const WinSockError* error = Find(code);
    return error && error->Errnos[0] != 0 ? std::generic_category().message(error->Errnos[0])
                                          : std::string();
}

} // namespace zintra
