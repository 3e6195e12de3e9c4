#pragma once

#include "tests/support/TestFolder.h"

#include <QCoreApplication>
#include <QProcess>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace zintra {

// Set in the copy of a test program that runs in a mount namespace of its own, where
// /etc/resolv.conf names a name server that never answers.
inline bool InsideSilentResolver() {
    return qEnvironmentVariableIsSet("ZINTRA_SILENT_RESOLVER");
}

// A UDP port 53 that takes queries and answers none, on an address of 127/8 of its own.
inline int SilentNameServer(std::string& address) {
    std::random_device seed;
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(53);
        local.sin_addr.s_addr = htonl(0x7f000000U | (seed() & 0xfffffeU) | 1U);
        if (::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0) {
            address = inet_ntoa(local.sin_addr);
            return s;
        }
        ::close(s);
    }
    return -1;
}

// Runs the tests `filter` of this program again behind a silent name server, and expects
// them to pass. Needs root for the namespace; skips without it.
inline void RunBehindASilentResolver(const QString& filter) {
    if (::geteuid() != 0 || QProcess::execute("unshare", {"-m", "true"}) != 0) {
        GTEST_SKIP() << "a mount namespace of its own needs root";
    }
    std::string address;
    const int server = SilentNameServer(address);
    ASSERT_GE(server, 0);
    TestFolder folder;
    const std::string resolv =
        folder.Write("resolv.conf", "nameserver " + address + "\noptions timeout:30 attempts:2\n");
    QProcess inside;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ZINTRA_SILENT_RESOLVER", "1");
    inside.setProcessEnvironment(environment);
    inside.setProcessChannelMode(QProcess::MergedChannels);
    inside.start("unshare",
                 {"-m", "sh", "-c",
                  "mount --bind \"$0\" /etc/resolv.conf && exec \"$1\" "
                  "--gtest_filter=\"$2\"",
                  QString::fromStdString(resolv), QCoreApplication::applicationFilePath(), filter});
    EXPECT_TRUE(inside.waitForFinished(90000));
    const std::string output = inside.readAll().toStdString();
    EXPECT_EQ(inside.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    ::close(server);
}

} // namespace zintra
