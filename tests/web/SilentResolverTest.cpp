#include "sock/Sock.h"
#include "tests/support/SockTestSupport.h"
#include "tests/support/TestFolder.h"
#include "web/HttpGet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace zintra {
namespace {

// Set in the copy of this program that runs in a mount namespace of its own, where
// /etc/resolv.conf names a name server that never answers.
constexpr const char* kInside = "ZINTRA_SILENT_RESOLVER";

// A UDP port 53 that takes queries and answers none, on an address of 127/8 of its own.
int SilentNameServer(std::string& address) {
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

// With the real limits, the event loop turns all along and the GET fails at the connect limit,
// naming the look-up.
void FetchThroughTheSilentServer() {
    TSock sock(nullptr);
    HttpGet get(sock);
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 longestPause = 0;
    QTimer bar;
    QObject::connect(&bar, &QTimer::timeout, [&] {
        longestPause = std::max(longestPause, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    bar.start(20);
    std::string failure;
    get.OnDone = [&](const HttpAnswer& answer) { failure = answer.failure; };
    get.Start(QUrl("http://collections.zintra.test/c.zin"));
    ASSERT_TRUE(PumpUntil([&] { return !failure.empty(); }, 60000));
    EXPECT_EQ(failure, "http://collections.zintra.test/c.zin - The look-up of the host "
                       "collections.zintra.test found no address within 20 seconds");
    EXPECT_GT(clock.elapsed(), 18000);
    EXPECT_LT(longestPause, 5000);
}

TEST(SilentNameServer, NeitherHoldsUpTheEventLoopNorOutlastsTheConnectLimit) {
    if (qEnvironmentVariableIsSet(kInside)) {
        FetchThroughTheSilentServer();
        return;
    }
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
    environment.insert(kInside, "1");
    inside.setProcessEnvironment(environment);
    inside.setProcessChannelMode(QProcess::MergedChannels);
    inside.start("unshare",
                 {"-m", "sh", "-c",
                  "mount --bind \"$0\" /etc/resolv.conf && exec \"$1\" "
                  "--gtest_filter=SilentNameServer.*",
                  QString::fromStdString(resolv), QCoreApplication::applicationFilePath()});
    EXPECT_TRUE(inside.waitForFinished(90000));
    const std::string output = inside.readAll().toStdString();
    EXPECT_EQ(inside.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    ::close(server);
}

} // namespace
} // namespace zintra
