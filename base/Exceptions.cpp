#include "base/Exceptions.h"

#include <cerrno>

namespace zintra {
namespace {

std::string InOutText(int errorCode) {
    switch (errorCode) {
    case ENOENT:
        return "File not found";
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return "Invalid filename";
    case EMFILE:
    case ENFILE:
        return "Too many open files";
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return "File access denied";
    case ENOSPC:
        return "Disk full";
    default:
        return "I/O error " + std::to_string(errorCode);
    }
}

} // namespace

EInOutError::EInOutError(int errorCode) : Exception(InOutText(errorCode)) {}

EConvertError::EConvertError(const std::string& text)
    : Exception("'" + text + "' is not a valid integer value") {}

EListError::EListError(std::int64_t index)
    : Exception("List index out of bounds (" + std::to_string(index) + ")") {}

EFCreateError::EFCreateError(const std::string& path, const std::string& reason)
    : Exception("Cannot create file \"" + path + "\". " + reason) {}

} // namespace zintra
