#include "sock/SockUnit.h"

#include "sock/HostCache.h"
#include "sock/SockExceptions.h"
#include "winsock/WinSock.h"

#include <iostream>

namespace zintra {

namespace {

WSAData winSockData;

} // namespace

void SockUnitStartup() {
    if (WinSockLayer().WSAStartup(WinSockVersion11, winSockData) != 0) {
        throw ESockException("WSAStartup - Could Not Initialize WinSock");
    }
    HostCache().Clear();
}

void SockUnitShutdown() {
    HostCache().Clear();
    WinSockLayer().WSACleanup();
}

void ShowOnStandardError(const std::string& className, const std::string& text) {
    std::cerr << className << ": " << text << std::endl;
}

SockUnit::SockUnit(const StartupFailureView& show) {
    try {
        SockUnitStartup();
        started_ = true;
    } catch (const ESockException& failure) {
        show(ESockException::ClassName, failure.what());
    }
}

SockUnit::~SockUnit() {
    if (started_) {
        SockUnitShutdown();
    }
}

} // namespace zintra
