#pragma once

#include "tests/support/LoopbackClient.h"
#include "tests/support/TestFolder.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QUrl>
#include <gtest/gtest.h>

namespace zintra {

// A web server on a free port of 127.0.0.1 for one test, stopped with it: python3's
// http.server or nginx (autoindex on, its configuration in `scratch`) over a folder, or one
// mode of hostile_http.py, which prints the port it took.
class WebServer {
public:
    enum Kind { Python, Nginx };

    WebServer(Kind kind, const std::string& folder, const TestFolder& scratch) {
        // Another program may take the port between the look and the start: then try another.
        for (int attempt = 0; attempt < 3 && !Listening(); ++attempt) {
            process_.kill();
            process_.waitForFinished(kDeadlineMs);
            port_ = FreePort();
            const QString port = QString::number(port_);
            if (kind == Python) {
                process_.start("python3", {"-m", "http.server", port, "--bind", "127.0.0.1",
                                           "--directory", QString::fromStdString(folder)});
            } else {
                scratch.Write("nginx.conf",
                              "daemon off; master_process off; pid nginx.pid; events {}\n"
                              "http { access_log off; server { listen 127.0.0.1:" +
                                  port.toStdString() + "; root " + folder +
                                  "; autoindex on; } }\n");
                process_.start("nginx",
                               {"-e", "stderr", "-p", QString::fromStdString(scratch.Path("")),
                                "-c", "nginx.conf"});
            }
        }
        EXPECT_TRUE(Listening()) << process_.readAllStandardError().toStdString();
    }

    explicit WebServer(const char* hostileMode) {
        process_.start("python3", {HOSTILE_HTTP_PATH, hostileMode});
        if (process_.waitForReadyRead(kDeadlineMs)) {
            port_ = std::uint16_t(process_.readLine().trimmed().toUInt());
        }
        EXPECT_NE(port_, 0) << "hostile_http.py " << hostileMode << " did not start";
    }

    ~WebServer() {
        process_.kill();
        process_.waitForFinished(kDeadlineMs);
    }

    std::uint16_t Port() const { return port_; }
    QUrl Url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path));
    }

private:
    static constexpr int kDeadlineMs = 15000;

    bool Listening() {
        const QDeadlineTimer deadline(kDeadlineMs);
        while (port_ != 0 && process_.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            if (const int s = Connect(port_); s >= 0) {
                ::close(s);
                return true;
            }
            process_.waitForFinished(20);
        }
        return false;
    }

    QProcess process_;
    std::uint16_t port_ = 0;
};

} // namespace zintra
