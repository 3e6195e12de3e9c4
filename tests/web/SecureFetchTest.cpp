#include "tests/support/ToolRun.h"
#include "tests/support/WebServers.h"
#include "tests/web/WebFixture.h"
#include "tools/zincheck/Zincheck.h"
#include "web/CollectionList.h"

#include <gtest/gtest.h>
#include <optional>

namespace zintra {
namespace {

class SecureServer : public testing::Test {
protected:
    WebFixture web_;
    WebServer server_{WebServer::NginxTls, web_.published.Path(""), web_.scratch};
};

// Over TLS a list and a collection come as over plain HTTP, redirects cross both ways, and
// zincheck previews an https: address as the file itself.
TEST_F(SecureServer, FetchesListsAndCollectionsAndFollowsRedirectsBothWays) {
    const HttpAnswer list = web_.Get(server_.SecureUrl("/lists/"));
    ASSERT_EQ(list.failure, "");
    EXPECT_EQ(ReadCollectionList(list.url, list.body, list.contentType).size(), 2u);

    const std::string proverbs = ReadBytes(web_.published.Path("lists/proverbs.zin"));
    for (const QUrl& url :
         {server_.SecureUrl("/lists/proverbs.zin"), server_.Url("/to-https/lists/proverbs.zin"),
          server_.SecureUrl("/to-http/lists/proverbs.zin")}) {
        const HttpAnswer answer = web_.Get(url);
        EXPECT_EQ(answer.failure, "");
        EXPECT_EQ(answer.body, proverbs) << url.toString().toStdString();
    }

    const std::string url = server_.SecureUrl("/lists/proverbs.zin").toString().toStdString();
    const ToolOutcome fetched = RunTool(RunZincheck, {"--seed", "3", url});
    EXPECT_EQ(fetched.status, kZincheckLoaded) << fetched.err;
    EXPECT_EQ(fetched.out,
              RunTool(RunZincheck, {"--seed", "3", web_.published.Path("lists/proverbs.zin")}).out);
}

// The validators of the address asked for go with the redirected request too.
TEST_F(SecureServer, ARedirectedCopyThatDidNotChangeAnswersNotModified) {
    const QUrl url = server_.Url("/to-https/lists/proverbs.zin");
    ASSERT_TRUE(web_.Download(url).changed);
    const DownloadOutcome again = web_.Download(url, /*refresh=*/true);
    EXPECT_EQ(again.failure, "");
    EXPECT_FALSE(again.changed);
}

struct TlsHostility {
    const char* name;
    std::string failure;
};

class HostileTls : public testing::TestWithParam<TlsHostility> {};

// Each fails with its reason in words, and the copy kept before stays as it was.
TEST_P(HostileTls, FailsWithItsReasonAndReplacesNothing) {
    WebFixture web;
    const TestCertificates& certificates = TestCertificates::Get();
    const std::string name = GetParam().name;
    std::optional<WebServer> server;
    if (name == "plain") {
        server.emplace(WebServer::Nginx, web.published.Path(""), web.scratch);
    } else if (name == "stall") {
        server.emplace("silent");
    } else if (name == "brokenoff") {
        // A client certificate is required, and none is sent.
        server.emplace(WebServer::OpenSslServer{
            certificates.Good(), {"-tls1_2", "-Verify", "1", "-verify_return_error"}});
    } else {
        server.emplace(WebServer::OpenSslServer{name == "othername" ? certificates.OtherName()
                                                : name == "expired" ? certificates.Expired()
                                                                    : certificates.SelfSigned(),
                                                {}});
    }
    const QUrl url = server->SecureUrl("/c.zin", server->Port());
    const QString copy = web.folder.Keep({url, "", ""}, "Kept\nentry\nLast\n");
    EXPECT_TRUE(copy.endsWith(QStringLiteral("/localhost_https_%1/c.zin").arg(server->Port())));
    web.get.SetLimits(kShortIdle);

    const DownloadOutcome outcome = web.Download(url);
    std::string failure = GetParam().failure;
    if (const std::size_t port = failure.find("PORT"); port != std::string::npos) {
        failure.replace(port, 4, std::to_string(server->Port()));
    }
    EXPECT_EQ(outcome.failure, url.toString().toStdString() + " - " + failure);
    EXPECT_EQ(ReadBytes(copy.toStdString()), "Kept\nentry\nLast\n");
}

INSTANTIATE_TEST_SUITE_P(
    Servers, HostileTls,
    testing::Values(
        TlsHostility{"othername", "The server's certificate is not for localhost"},
        TlsHostility{"expired", "The server's certificate has expired"},
        TlsHostility{"selfsigned", "The server's certificate is not signed by an authority this "
                                   "system trusts (self-signed or an unknown issuer)"},
        TlsHostility{"brokenoff", "The server broke off the secure connection (sslv3 alert "
                                  "handshake failure)"},
        TlsHostility{"plain", "The server does not speak TLS on this port (wrong version number)"},
        TlsHostility{"stall", "No secure connection with localhost:PORT within 2 seconds"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zintra
