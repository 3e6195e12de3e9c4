#include "tests/support/RunningEcho.h"

#include <QCryptographicHash>
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

// A small peer written in Python: the script binds, prints its port on a line, then serves.
class PythonPeer {
public:
    explicit PythonPeer(const QString& script) {
        process.start("python3", {"-c", script});
        if (process.waitForReadyRead(Deadline)) {
            port = std::uint16_t(process.readLine().trimmed().toUInt());
        }
        EXPECT_NE(port, 0) << process.readAllStandardError().toStdString();
    }
    ~PythonPeer() {
        process.kill();
        process.waitForFinished(Deadline);
    }

    std::uint16_t port = 0;
    QProcess process;
};

// Sends megabytes without reading what came, then closes: the close is a reset.
constexpr const char* ResettingServer = R"(
import socket, select
l = socket.socket(); l.bind(('127.0.0.1', 0)); l.listen(); print(l.getsockname()[1], flush=True)
c, _ = l.accept(); select.select([c], [], [])
try:
    c.sendall(b'x' * 20000000)
finally:
    c.close()
)";

// Answers each datagram in capitals, after a stranger's datagram to the same client.
constexpr const char* UdpPeerWithStranger = R"(
import socket
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(('127.0.0.1', 0))
print(s.getsockname()[1], flush=True)
stranger = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
while True:
    d, a = s.recvfrom(65536)
    stranger.sendto(b'stranger', a)
    s.sendto(d.upper(), a)
)";

// Half-closes at once, then reads to the end and prints the byte count and a digest of it.
constexpr const char* HalfClosingReader = R"(
import socket, hashlib
l = socket.socket(); l.bind(('127.0.0.1', 0)); l.listen(); print(l.getsockname()[1], flush=True)
c, _ = l.accept(); c.shutdown(socket.SHUT_WR)
count, digest = 0, hashlib.sha256()
while True:
    d = c.recv(65536)
    if not d:
        break
    count += len(d); digest.update(d)
print(count, digest.hexdigest(), flush=True)
)";

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

// Exit 0 only for an orderly end: a reset names itself and exits 1, whatever arrived before it.
TEST_P(SockCat, AResetExitsOneAndAnOrderlyCloseAlwaysZero) {
    PythonPeer resetting(ResettingServer);
    const CatRun reset = RunCat(Mode(GetParam(), {"127.0.0.1", QString::number(resetting.port)}),
                                QByteArray(1'000'000, 'q'));
    EXPECT_EQ(reset.status, 1);
    EXPECT_TRUE(reset.errors.contains("WSAECONNRESET")) << reset.errors.toStdString();

    Socat closing(false, "SYSTEM:true");
    for (int run = 0; run < 20; ++run) {
        const CatRun closed =
            RunCat(Mode(GetParam(), {"127.0.0.1", QString::number(closing.port)}), {});
        ASSERT_EQ(closed.status, 0) << "run " << run << ": " << closed.errors.toStdString();
    }
}

// Standard output that nobody reads is a failure reported in sockcat's words, not a signal.
TEST_P(SockCat, AClosedStandardOutputExitsOne) {
    RunningEcho echo({"--quiet"});
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    QProcess cat;
    cat.setChildProcessModifier([writeEnd = ends[1]] { ::dup2(writeEnd, 1); });
    cat.start(SOCKCAT_PATH, Mode(GetParam(), {"127.0.0.1", QString::number(echo.port)}));
    ::close(ends[1]);
    ASSERT_TRUE(cat.waitForStarted(Deadline));
    cat.write("echoed into a closed pipe\n");
    cat.closeWriteChannel();
    ASSERT_TRUE(cat.waitForFinished(Deadline));
    EXPECT_EQ(cat.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cat.exitCode(), 1);
    EXPECT_TRUE(cat.readAllStandardError().contains("standard output cannot be written"));
}

// The peer's half-close ends only what sockcat receives: all of the input still goes out.
TEST_P(SockCat, APeerThatHalfClosesStillGetsAllOfTheInput) {
    PythonPeer reader(HalfClosingReader);
    QByteArray data(12'000'000, '\0');
    for (int i = 0; i < data.size(); ++i) {
        data[i] = char(i * 13 + i / 65521);
    }
    const CatRun run = RunCat(Mode(GetParam(), {"127.0.0.1", QString::number(reader.port)}), data);
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    ASSERT_TRUE(reader.process.waitForFinished(Deadline));
    const QByteArray expected = QByteArray::number(data.size()) + " " +
                                QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
    EXPECT_EQ(reader.process.readAllStandardOutput().trimmed(), expected);
}

// Started with standard input and output closed, sockcat gives its sockets other numbers: what
// the peer sends is not written back into the connection, and the output is reported unwritable.
TEST_P(SockCat, ClosedStandardInputAndOutputAreNotTheConnection) {
    Socat talker(false, "SYSTEM:echo spoken; sleep 1");
    QProcess cat;
    cat.setChildProcessModifier([] {
        ::close(0);
        ::close(1);
    });
    cat.start(SOCKCAT_PATH, Mode(GetParam(), {"127.0.0.1", QString::number(talker.port)}));
    ASSERT_TRUE(cat.waitForFinished(Deadline));
    EXPECT_EQ(cat.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cat.exitCode(), 1);
    EXPECT_TRUE(cat.readAllStandardError().contains("standard output cannot be written"));
}

// The socket is the peer's alone: a stranger is not heard, empty lines travel both ways, a
// refusal and a line too long for a datagram are failures.
TEST_P(SockCat, DatagramsComeOnlyFromThePeerAndFailuresAreTold) {
    PythonPeer peer(UdpPeerWithStranger);
    const QStringList udp = Mode(GetParam(), {"--udp", "127.0.0.1"});
    const CatRun answered = RunCat(udp + QStringList{QString::number(peer.port)}, "one\n\nthree\n");
    EXPECT_EQ(answered.status, 0) << answered.errors.toStdString();
    EXPECT_EQ(answered.output, "ONE\n\nTHREE\n");

    const CatRun refused = RunCat(udp + QStringList{QString::number(FreePort())}, "a\nb\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.errors.contains("WSAECONNREFUSED")) << refused.errors.toStdString();

    const CatRun tooLong =
        RunCat(udp + QStringList{QString::number(peer.port)}, QByteArray(70'000, 'l') + "\n");
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_TRUE(tooLong.errors.contains("WSAEMSGSIZE")) << tooLong.errors.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Modes, SockCat, testing::Bool(),
                         [](const auto& info) { return info.param ? "Blocking" : "NonBlocking"; });

TEST(SockCatCommand, AWrongCommandLineShowsTheUsage) {
    for (const QStringList& arguments :
         {QStringList{"host"}, QStringList{"--tcp", "host", "7"}, QStringList{"host", "7", "8"}}) {
        const CatRun run = RunCat(arguments, {});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.errors.endsWith(QByteArray(CatUsageLine)));
    }
}

} // namespace zintra
