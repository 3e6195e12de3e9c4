#pragma once

#include "tests/support/LoopbackClient.h"

#include <QProcess>
#include <QStringList>
#include <csignal>
#include <gtest/gtest.h>

namespace zintra {

constexpr int RunningEchoDeadlineMs = 10000;

// A running sockecho (SOCKECHO_PATH), started on a free port; another program may take the port
// between the look and the start, so a start that cannot bind tries another.
class RunningEcho {
public:
    explicit RunningEcho(QStringList options) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            port = FreePort();
            process.start(SOCKECHO_PATH, QStringList{"--port", QString::number(port)} + options);
            if (WaitForOutput("Listen: Listening Started")) {
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

    bool WaitForOutput(const QByteArray& line) {
        while (!output.contains(line + "\n")) {
            if (process.state() == QProcess::NotRunning && !process.bytesAvailable()) {
                return false;
            }
            if (!process.waitForReadyRead(RunningEchoDeadlineMs) && !process.bytesAvailable()) {
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
