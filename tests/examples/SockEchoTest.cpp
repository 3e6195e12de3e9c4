#include "tests/support/LoopbackClient.h"
#include "tests/support/RunningEcho.h"

#include <QProcess>
#include <arpa/inet.h>
#include <csignal>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace zintra {

namespace {

constexpr int Deadline = 10000;

// A connected socket whose reads give up after 10 s, so a silent server fails the test.
int ConnectWaiting(std::uint16_t port) {
    const int s = Connect(port);
    const timeval wait{10, 0};
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    return s;
}

// Sends text and reads back as many bytes.
std::string Echo(int s, const std::string& text) {
    ::send(s, text.data(), text.size(), MSG_NOSIGNAL);
    std::string back;
    char buffer[4096];
    while (back.size() < text.size()) {
        const ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        back.append(buffer, std::size_t(n));
    }
    return back;
}

} // namespace

class SockEcho : public testing::TestWithParam<const char*> {};

TEST_P(SockEcho, EchoesEveryClientAndStopsCleanlyOnASignal) {
    QStringList options;
    if (*GetParam()) {
        options << GetParam();
    }
    RunningEcho echo(options);
    const int first = ConnectWaiting(echo.port), second = ConnectWaiting(echo.port);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    EXPECT_EQ(Echo(first, "hello"), "hello");
    const std::string big(200000, 'b');
    EXPECT_EQ(Echo(second, big), big);
    EXPECT_EQ(Echo(first, "again"), "again");

    EXPECT_EQ(echo.Stop(SIGTERM), 0);
    char byte;
    EXPECT_EQ(::recv(first, &byte, 1, 0), 0); // closed by the server
    ::close(first);
    ::close(second);
    EXPECT_TRUE(echo.output.contains("Listen: Listening Stopped\n"));
    EXPECT_TRUE(echo.output.contains("Lookup: Setting HostName While Connected Has No Effect\n"));
}

INSTANTIATE_TEST_SUITE_P(Modes, SockEcho, testing::Values("", "--blocking"),
                         [](const auto& info) { return *info.param ? "Blocking" : "NonBlocking"; });

TEST(SockEchoCommand, InterruptEndsWithStatusZero) {
    RunningEcho echo({"--blocking", "--timeout", "1"});
    const int client = ConnectWaiting(echo.port);
    EXPECT_EQ(Echo(client, "x"), "x");
    EXPECT_EQ(echo.Stop(SIGINT), 0);
    ::close(client);
}

TEST(SockEchoCommand, APortInUseEndsWithStatusOneAndTheReason) {
    RunningEcho holder({});
    QProcess second;
    second.start(SOCKECHO_PATH, {"--port", QString::number(holder.port), "--quiet"});
    ASSERT_TRUE(second.waitForFinished(Deadline));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(second.readAllStandardError(), "Listen - Error Binding Socket\n");
    EXPECT_EQ(second.readAllStandardOutput(), "");
}

TEST(SockEchoCommand, QuietWritesNothingAndBadCommandLinesAreRefused) {
    const std::pair<QStringList, QByteArray> cases[] = {
        {{}, "sockecho: --port is required\n"},
        {{"--port"}, "sockecho: --port needs a value\n"},
        {{"--port", "7", "--timeout", "soon"},
         "sockecho: 'soon' is not a valid number of seconds\n"},
        {{"--port", "7", "--loud"}, "sockecho: unknown option --loud\n"},
    };
    for (const auto& [arguments, message] : cases) {
        QProcess process;
        process.start(SOCKECHO_PATH, arguments);
        ASSERT_TRUE(process.waitForFinished(Deadline));
        EXPECT_EQ(process.exitCode(), 2);
        EXPECT_TRUE(process.readAllStandardError().startsWith(message))
            << arguments.join(' ').toStdString();
    }
}

} // namespace zintra
