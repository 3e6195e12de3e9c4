#pragma once

#include "tests/support/TestFolder.h"

#include <QProcess>
#include <cstdlib>
#include <gtest/gtest.h>

namespace zintra {

// A certificate authority of the test run, trusted through SSL_CERT_FILE, and server
// certificates made with the openssl command: for localhost and 127.0.0.1 by that authority,
// for another name, expired, and one that signs itself. Made once per test program.
class TestCertificates {
public:
    static const TestCertificates& Get() {
        static const TestCertificates made;
        return made;
    }

    std::string Key() const { return folder_.Path("server.key"); }
    std::string Good() const { return folder_.Path("good.pem"); }
    std::string OtherName() const { return folder_.Path("other.pem"); }
    std::string Expired() const { return folder_.Path("expired.pem"); }
    std::string SelfSigned() const { return folder_.Path("self.pem"); }

private:
    TestCertificates() {
        folder_.Write("index.txt", "");
        folder_.Write("serial", "01\n");
        folder_.Write("ca.cnf", "[ca]\ndefault_ca = test\n[test]\ndatabase = index.txt\n"
                                "new_certs_dir = .\nserial = serial\ndefault_md = sha256\n"
                                "policy = any\ncopy_extensions = copy\nunique_subject = no\n"
                                "[any]\ncommonName = supplied\n");
        const QStringList ec = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes"};
        OpenSsl(QStringList{"req", "-x509", "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
                            "-subj", "/CN=Zintra Test Authority"} +
                ec);
        OpenSsl(QStringList{"req", "-x509", "-keyout", "server.key", "-out", "self.pem", "-days",
                            "2", "-subj", "/CN=localhost", "-addext", kNames} +
                ec);
        Sign("good", kNames, {"-days", "2"});
        Sign("other", "subjectAltName=DNS:elsewhere.test", {"-days", "2"});
        Sign("expired", kNames, {"-startdate", "20200101000000Z", "-enddate", "20200201000000Z"});
        setenv("SSL_CERT_FILE", folder_.Path("ca.pem").c_str(), 1);
    }

    void Sign(const QString& name, const QString& names, const QStringList& dates) const {
        OpenSsl({"req", "-new", "-key", "server.key", "-out", name + ".csr", "-subj", "/CN=" + name,
                 "-addext", names});
        OpenSsl(QStringList{"ca", "-batch", "-notext", "-config", "ca.cnf", "-cert", "ca.pem",
                            "-keyfile", "ca.key", "-in", name + ".csr", "-out", name + ".pem"} +
                dates);
    }

    void OpenSsl(const QStringList& args) const {
        QProcess openssl;
        openssl.setWorkingDirectory(QString::fromStdString(folder_.Path("")));
        openssl.start("openssl", args);
        openssl.waitForFinished(60000);
        EXPECT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
    }

    static inline const QString kNames = "subjectAltName=DNS:localhost,IP:127.0.0.1";
    TestFolder folder_;
};

} // namespace zintra
