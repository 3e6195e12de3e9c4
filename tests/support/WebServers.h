#pragma once

#include "tests/support/LoopbackClient.h"
#include "tests/support/TestFolder.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QUrl>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace zintra {

// A web server started for one test on a free port of 127.0.0.1 and stopped with it:
// python3's http.server or nginx over a folder, or one mode of tests/support/hostile_http.py.
class WebServer {
public:
    static constexpr int kDeadlineMs = 15000;

    static void Python(WebServer& server, const std::string& folder) {
        server.StartListening("python3", [&](std::uint16_t port) {
            return QStringList{"-m",        "http.server", QString::number(port),         "--bind",
                               "127.0.0.1", "--directory", QString::fromStdString(folder)};
        });
    }

    // nginx with a configuration of its own in `scratch`, autoindex on.
    static void Nginx(WebServer& server, const std::string& folder, const TestFolder& scratch) {
        server.StartListening("nginx", [&](std::uint16_t port) {
            std::ofstream(scratch.Path("nginx.conf"))
                << "daemon off; master_process off; pid " << scratch.Path("nginx.pid") << ";\n"
                << "error_log stderr;\nevents {}\nhttp {\n access_log off;\n"
                << " client_body_temp_path " << scratch.Path("body") << ";\n"
                << " proxy_temp_path " << scratch.Path("proxy") << ";\n"
                << " fastcgi_temp_path " << scratch.Path("fcgi") << ";\n"
                << " uwsgi_temp_path " << scratch.Path("uwsgi") << ";\n"
                << " scgi_temp_path " << scratch.Path("scgi") << ";\n"
                << " server {\n  listen 127.0.0.1:" << port << ";\n  root " << folder
                << ";\n  autoindex on;\n }\n}\n";
            return QStringList{"-e", "stderr",
                               "-p", QString::fromStdString(scratch.Path("")),
                               "-c", QString::fromStdString(scratch.Path("nginx.conf"))};
        });
    }

    // The hostile server prints the port it took.
    static void Hostile(WebServer& server, const char* mode) {
        server.process_.start("python3", {HOSTILE_HTTP_PATH, mode});
        if (server.process_.waitForReadyRead(kDeadlineMs)) {
            server.port_ = std::uint16_t(server.process_.readLine().trimmed().toUInt());
        }
        ASSERT_NE(server.port_, 0) << "hostile_http.py " << mode << " did not start";
    }

    WebServer() = default;
    ~WebServer() {
        process_.kill();
        process_.waitForFinished(kDeadlineMs);
    }
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    std::uint16_t Port() const { return port_; }
    QUrl Url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path));
    }

private:
    // Another program may take the port between the look and the start: then try another.
    template <class Arguments> void StartListening(const QString& program, Arguments arguments) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            port_ = FreePort();
            process_.start(program, arguments(port_));
            QDeadlineTimer deadline(kDeadlineMs);
            while (process_.state() != QProcess::NotRunning && !deadline.hasExpired()) {
                if (const int s = Connect(port_); s >= 0) {
                    ::close(s);
                    return;
                }
                process_.waitForFinished(20);
            }
            process_.kill();
            process_.waitForFinished(kDeadlineMs);
        }
        ADD_FAILURE() << program.toStdString() << " did not start listening: "
                      << process_.readAllStandardError().toStdString();
    }

    QProcess process_;
    std::uint16_t port_ = 0;
};

} // namespace zintra
