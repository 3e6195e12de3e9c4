#pragma once

#include "tests/support/LoopbackClient.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace zintra {

// Resident memory of a process, in KiB; -1 when it cannot be read.
inline long ResidentKiB(qint64 pid) {
    QFile status(QString("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

constexpr int RunningEchoDeadlineMs = 10000;

// A running sockecho (SOCKECHO_PATH), started on a free port; another program may take the port
// between the look and the start, so a start that cannot bind tries another.
class RunningEcho {
public:
    // inChild: run in the child before sockecho starts, to set the limits it runs under.
    explicit RunningEcho(QStringList options, const std::function<void()>& inChild = {}) {
        const bool quiet = options.contains("--quiet");
        if (inChild) {
            process.setChildProcessModifier(inChild);
        }
        for (int attempt = 0; attempt < 5; ++attempt) {
            port = FreePort();
            process.start(SOCKECHO_PATH, QStringList{"--port", QString::number(port)} + options);
            if (quiet ? WaitForListening() : WaitForOutput("Listen: Listening Started")) {
                return;
            }
            process.waitForFinished(RunningEchoDeadlineMs);
        }
        ADD_FAILURE() << "sockecho did not start listening";
    }

    ~RunningEcho() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(RunningEchoDeadlineMs);
        }
    }

    // A quiet server says nothing: it listens once a client can connect.
    bool WaitForListening() {
        QDeadlineTimer deadline(RunningEchoDeadlineMs);
        while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            if (const int s = Connect(port); s >= 0) {
                ::close(s);
                return true;
            }
            process.waitForFinished(20);
        }
        return false;
    }

    // Gives up after the deadline also while other lines keep coming.
    bool WaitForOutput(const QByteArray& line) {
        const QDeadlineTimer deadline(RunningEchoDeadlineMs);
        while (!output.contains(line + "\n")) {
            if (process.state() == QProcess::NotRunning && !process.bytesAvailable()) {
                return false;
            }
            if (deadline.hasExpired() ||
                (!process.waitForReadyRead(int(deadline.remainingTime())) &&
                 !process.bytesAvailable())) {
                return false;
            }
            output += process.readAllStandardOutput();
        }
        return true;
    }

    int Stop(int signal) {
        ::kill(pid_t(process.processId()), signal);
        EXPECT_TRUE(process.waitForFinished(RunningEchoDeadlineMs));
        output += process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QProcess process;
    QByteArray output;
    std::uint16_t port = 0;
};

} // namespace zintra
