#include "winsock/WinSock.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

// The layer's tests are a console program: the layer needs an event loop, not a window.
int main(int argc, char** argv) {
    using namespace zintra;
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    WSAData data;
    if (WinSockLayer().WSAStartup(WinSockVersion11, data) != 0) {
        return 1;
    }
    const int status = RUN_ALL_TESTS();
    WinSockLayer().WSACleanup();
    return status;
}
