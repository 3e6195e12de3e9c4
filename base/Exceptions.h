#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace zintra {

// A failure carrying the one message text that the error box shows.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// A text file that cannot be opened or read, from the platform's (errno) code.
class EInOutError : public Exception {
public:
    explicit EInOutError(int errorCode);
};

// "'%s' is not a valid integer value"
class EConvertError : public Exception {
public:
    explicit EConvertError(const std::string& text);
};

// "List index out of bounds (%d)"
class EListError : public Exception {
public:
    explicit EListError(std::int64_t index);
};

// "Cannot create file "%s". %s" with the file's path and the platform's reason.
class EFCreateError : public Exception {
public:
    EFCreateError(const std::string& path, const std::string& reason);
};

} // namespace zintra
