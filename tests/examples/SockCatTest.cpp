#include "tests/support/RunningEcho.h"

#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <sys/socket.h>
#include <unistd.h>

namespace zintra {

namespace {

constexpr int Deadline = 60000;

struct CatRun {
    int status = -1;
    QByteArray output;
    QByteArray errors;
};

// Runs sockcat with input as its standard input, to its end.
CatRun RunCat(const QStringList& arguments, const QByteArray& input) {
    QProcess cat;
    cat.start(SOCKCAT_PATH, arguments);
    CatRun run;
    if (!cat.waitForStarted(Deadline)) {
        return run;
    }
    cat.write(input);
    cat.closeWriteChannel();
    if (cat.waitForFinished(Deadline) && cat.exitStatus() == QProcess::NormalExit) {
        run.status = cat.exitCode();
    }
    run.output = cat.readAllStandardOutput();
    run.errors = cat.readAllStandardError();
    return run;
}

// A socat serving every peer, each in a child of its own, on a free port of 127.0.0.1, once it
// answers.
class Socat {
public:
    Socat(bool udp, const QString& serve) {
        port = FreePort();
        const QString listen = udp ? "UDP-RECVFROM:%1,bind=127.0.0.1,fork"
                                   : "TCP-LISTEN:%1,bind=127.0.0.1,fork,reuseaddr";
        process.start("socat", {listen.arg(port), serve});
        EXPECT_TRUE(process.waitForStarted(Deadline));
        for (int attempt = 0; attempt < 100 && !Answers(udp); ++attempt) {
            process.waitForFinished(10);
        }
    }
    ~Socat() {
        process.kill();
        process.waitForFinished(Deadline);
    }

    std::uint16_t port = 0;
    QProcess process;

private:
    bool Answers(bool udp) const {
        if (!udp) {
            const int s = Connect(port);
            ::close(s);
            return s >= 0;
        }
        const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
        const timeval wait{0, 500000};
        ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        const sockaddr_in to = LoopbackAddress(port);
        ::sendto(s, "?", 1, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        char answer;
        const bool answered = ::recv(s, &answer, 1, 0) == 1;
        ::close(s);
        return answered;
    }
};

QStringList Mode(bool blocking, QStringList arguments) {
    return blocking ? QStringList{"--blocking"} + arguments : arguments;
}

constexpr const char* CatUsageLine = "usage: sockcat [--udp] [--blocking] [--verbose] HOST PORT\n";

} // namespace

class SockCat : public testing::TestWithParam<bool> {};

// socat answers only once sockcat's end of input has reached it.
TEST_P(SockCat, HalfClosesAndReadsTheAnswerOfATcpServer) {
    Socat upper(false, "SYSTEM:tr a-z A-Z");
    const CatRun run = RunCat(
        Mode(GetParam(), {"--verbose", "127.0.0.1", QString::number(upper.port)}), "hi\nyou");
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_EQ(run.output, "HI\nYOU");
    EXPECT_TRUE(run.errors.contains("Socket Connected\n")) << run.errors.toStdString();
}

TEST_P(SockCat, CarriesMegabytesThroughSockechoWhole) {
    RunningEcho echo({});
    QByteArray data(6'000'000, '\0');
    std::iota(data.begin(), data.end(), '\0');
    const CatRun run = RunCat(Mode(GetParam(), {"localhost", QString::number(echo.port)}), data);
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.output == data) << run.output.size() << " of " << data.size() << " bytes";
}

TEST_P(SockCat, ExchangesDatagramLinesWithAUdpPeer) {
    Socat peer(true, "SYSTEM:tr a-z A-Z");
    const CatRun run = RunCat(Mode(GetParam(), {"--udp", "127.0.0.1", QString::number(peer.port)}),
                              "one\r\ntwo\nthree");
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    // Each datagram is answered by a process of its own: the answers may come in any order.
    QList<QByteArray> lines = run.output.split('\n');
    std::ranges::sort(lines);
    EXPECT_EQ(lines, (QList<QByteArray>{"", "ONE", "THREE", "TWO"}));
}

TEST_P(SockCat, FailuresEndWithTheComponentsText) {
    const QString refused = QString::number(FreePort());
    const CatRun noServer = RunCat(Mode(GetParam(), {"127.0.0.1", refused}), "x");
    EXPECT_EQ(noServer.status, 1);
    EXPECT_TRUE(noServer.errors.contains("WSAECONNREFUSED")) << noServer.errors.toStdString();
    const CatRun noHost = RunCat(Mode(GetParam(), {"no-such-host.invalid", "7"}), "x");
    EXPECT_EQ(noHost.status, 1);
    EXPECT_EQ(noHost.errors, "Host Lookup - Could Not Find Host Entry\n");
}

INSTANTIATE_TEST_SUITE_P(Modes, SockCat, testing::Bool(),
                         [](const auto& info) { return info.param ? "Blocking" : "NonBlocking"; });

TEST(SockCatCommand, AWrongCommandLineShowsTheUsage) {
    for (const QStringList& arguments : {QStringList{"host"}, QStringList{"--tcp", "host", "7"}}) {
        const CatRun run = RunCat(arguments, {});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.errors.endsWith(QByteArray(CatUsageLine)));
    }
}

} // namespace zintra
