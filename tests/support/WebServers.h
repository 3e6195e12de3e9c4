#pragma once

#include "tests/support/LoopbackClient.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestFolder.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>
#include <gtest/gtest.h>

namespace zintra {

// A web server on a free port of 127.0.0.1 for one test, stopped with it: python3's
// http.server or nginx (autoindex on, its configuration in `scratch`) over a folder, or a
// program that prints the port it took: one mode of hostile_http.py, or openssl s_server.
// NginxTls also serves the folder over TLS (TestCertificates' good one) on SecurePort, and
// redirects /to-https/PATH on the plain port and /to-http/PATH on the secure one to the other.
class WebServer {
public:
    enum Kind { Python, Nginx, NginxTls };

    WebServer(Kind kind, const std::string& folder, const TestFolder& scratch) {
        // Another program may take the port between the look and the start: then try another.
        for (int attempt = 0; attempt < 3 && !Listening(); ++attempt) {
            process_.kill();
            process_.waitForFinished(kDeadlineMs);
            port_ = FreePort();
            securePort_ = FreePort();
            const QString port = QString::number(port_);
            if (kind == Python) {
                process_.start("python3", {"-m", "http.server", port, "--bind", "127.0.0.1",
                                           "--directory", QString::fromStdString(folder)});
            } else {
                scratch.Write("nginx.conf", NginxConfiguration(kind, folder));
                process_.start("nginx",
                               {"-e", "stderr", "-p", QString::fromStdString(scratch.Path("")),
                                "-c", "nginx.conf"});
            }
        }
        EXPECT_TRUE(Listening()) << process_.readAllStandardError().toStdString();
    }

    explicit WebServer(const char* hostileMode)
        : WebServer("python3", {HOSTILE_HTTP_PATH, hostileMode}) {}

    // openssl s_server with one of TestCertificates' certificates, and more options.
    struct OpenSslServer {
        std::string certificate;
        QStringList more;
    };
    explicit WebServer(const OpenSslServer& tls)
        : WebServer("openssl", QStringList{"s_server", "-www", "-accept", "127.0.0.1:0", "-key",
                                           QString::fromStdString(TestCertificates::Get().Key()),
                                           "-cert", QString::fromStdString(tls.certificate)} +
                                   tls.more) {}

    // Prints the port it took, alone or at the end of a line.
    WebServer(const QString& program, const QStringList& args) {
        process_.start(program, args);
        static const QRegularExpression port(QStringLiteral("^(?:ACCEPT .*:)?(\\d+)$"));
        const QDeadlineTimer deadline(kDeadlineMs);
        while (port_ == 0 && process_.waitForReadyRead(int(deadline.remainingTime()))) {
            while (process_.canReadLine()) {
                if (const auto match = port.match(process_.readLine().trimmed());
                    match.hasMatch()) {
                    port_ = std::uint16_t(match.captured(1).toUInt());
                }
            }
        }
        EXPECT_NE(port_, 0) << program.toStdString() << " did not start";
    }

    ~WebServer() {
        process_.kill();
        process_.waitForFinished(kDeadlineMs);
    }

    std::uint16_t Port() const { return port_; }
    QUrl Url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path));
    }
    // The address of `path` over TLS, on the secure port (or on `port`) of localhost.
    QUrl SecureUrl(const QString& path, int port = 0) const {
        return QUrl(
            QStringLiteral("https://localhost:%1%2").arg(port ? port : securePort_).arg(path));
    }

private:
    static constexpr int kDeadlineMs = 15000;

    std::string NginxConfiguration(Kind kind, const std::string& folder) const {
        const std::string plain = std::to_string(port_), secure = std::to_string(securePort_);
        const std::string site = " root " + folder + "; autoindex on; ";
        if (kind == Nginx) {
            return "daemon off; master_process off; pid nginx.pid; events {}\n"
                   "http { access_log off; server { listen 127.0.0.1:" +
                   plain + ";" + site + "} }\n";
        }
        const TestCertificates& certificates = TestCertificates::Get();
        return "daemon off; master_process off; pid nginx.pid; events {}\n"
               "http { access_log off;\n"
               "server { listen 127.0.0.1:" +
               plain + ";" + site + "rewrite ^/to-https/(.*)$ https://localhost:" + secure +
               "/$1 permanent; }\n"
               "server { listen 127.0.0.1:" +
               secure + " ssl; ssl_certificate " + certificates.Good() + "; ssl_certificate_key " +
               certificates.Key() + ";" + site +
               "rewrite ^/to-http/(.*)$ http://127.0.0.1:" + plain + "/$1 redirect; } }\n";
    }

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
    std::uint16_t securePort_ = 0;
};

} // namespace zintra
