#pragma once

#include <functional>
#include <string>

namespace zintra {

// The socket unit's start-up: WinSock 1.1 and an empty host cache. Throws ESockException
// "WSAStartup - Could Not Initialize WinSock" when WinSock cannot be started.
void SockUnitStartup();
// The unit's shut-down: releases the host cache, then stops WinSock.
void SockUnitShutdown();

// Shows a failure that ends the program: the exception's class name and its text.
using StartupFailureView =
    std::function<void(const std::string& className, const std::string& text)>;

// The view of a console program: one line on standard error.
void ShowOnStandardError(const std::string& className, const std::string& text);

// The unit for the lifetime of a program's main, made before any window. When the start-up
// fails, the failure is shown through the view and main ends with FailureExitStatus.
class SockUnit {
public:
    static constexpr int FailureExitStatus = 1;

    explicit SockUnit(const StartupFailureView& show = ShowOnStandardError);
    ~SockUnit();
    SockUnit(const SockUnit&) = delete;
    SockUnit& operator=(const SockUnit&) = delete;

    bool Started() const { return started_; }

private:
    bool started_ = false;
};

} // namespace zintra
