#include "sock/Sock.h"
#include "tests/support/SockTestSupport.h"
#include "tests/support/TestFolder.h"
#include "tests/support/ToolRun.h"
#include "tests/support/WebServers.h"
#include "tools/zincheck/Zincheck.h"
#include "web/CollectionList.h"
#include "web/CopyRefresher.h"
#include "web/WebDownload.h"

#include <QCoreApplication>
#include <QProcess>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace zintra {
namespace {

// The limits a case runs under: no case may race one limit against another.
constexpr HttpLimits kShortIdle{std::chrono::seconds(2), std::chrono::seconds(2),
                                std::chrono::minutes(5)};
constexpr HttpLimits kShortWhole{std::chrono::seconds(20), std::chrono::seconds(20),
                                 std::chrono::seconds(2)};

// A program folder with its web folder, and a published folder of collections.
struct WebFixture {
    TestFolder program, published, scratch;
    WebFolder folder{QString::fromStdString(program.Path("web"))};
    TSock sock{nullptr};
    HttpGet get{sock};

    WebFixture() {
        std::filesystem::create_directories(published.Path("lists"));
        published.Write("lists/proverbs.zin", "Proverbs\nA stitch in time.\nThe end.\n");
        published.Write("lists/caf\xc3\xa9 talk.zin", "Talk\nEspresso.\nBye.\n");
        published.Write("lists/readme.txt", "not a collection\n");
    }

    template <class Outcome, class Job> Outcome Await(Job& job, const QUrl& url, auto... more) {
        Outcome outcome;
        outcome.failure = "no outcome";
        job.OnDone = [&](const Outcome& done) { outcome = done; };
        job.Start(url, more...);
        PumpUntil([&] { return outcome.failure != "no outcome"; }, 30000);
        return outcome;
    }
    HttpAnswer Get(const QUrl& url) { return Await<HttpAnswer>(get, url); }
    DownloadOutcome Download(const QUrl& url, bool refresh = false) {
        WebDownload download(get, folder);
        return Await<DownloadOutcome>(download, url, refresh);
    }

    std::vector<std::string> ProgramFiles() const {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(program.Path(""))) {
            files.push_back(entry.path().string());
        }
        std::sort(files.begin(), files.end());
        return files;
    }
};

class RealServer : public testing::TestWithParam<WebServer::Kind> {
protected:
    WebFixture web_;
    WebServer server_{GetParam(), web_.published.Path(""), web_.scratch};
};

// The folder's index page is a list; its collections are kept and refreshed only when changed.
TEST_P(RealServer, ListsFetchesAndRefreshesAFolderOfCollections) {
    // Without its "/", the folder's address is redirected to the index page.
    const HttpAnswer list = web_.Get(server_.Url("/lists"));
    ASSERT_EQ(list.failure, "");
    std::vector<QString> names;
    for (const QUrl& entry : ReadCollectionList(list.url, list.body, list.contentType)) {
        names.push_back(CollectionName(entry));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<QString>{QStringLiteral("caf\u00e9 talk.zin"),
                                           QStringLiteral("proverbs.zin")}));

    const QUrl proverbs = server_.Url("/lists/proverbs.zin");
    const DownloadOutcome first = web_.Download(proverbs);
    ASSERT_EQ(first.failure, "");
    EXPECT_TRUE(first.changed);
    EXPECT_EQ(ReadBytes(first.path.toStdString()),
              ReadBytes(web_.published.Path("lists/proverbs.zin")));
    const DownloadOutcome unchanged = web_.Download(proverbs, /*refresh=*/true);
    EXPECT_EQ(unchanged.failure, "");
    EXPECT_FALSE(unchanged.changed);

    CopyRefresher refresher(web_.folder);
    std::vector<QString> changed;
    refresher.OnChanged = [&](const QString& path) { changed.push_back(path); };
    web_.published.Write("lists/proverbs.zin", "Proverbs\nNew today.\nThe end.\n");
    std::filesystem::last_write_time(web_.published.Path("lists/proverbs.zin"),
                                     std::filesystem::file_time_type::clock::now() +
                                         std::chrono::hours(1));
    refresher.Follow(first.path);
    ASSERT_TRUE(PumpUntil([&] { return !changed.empty(); }, 30000));
    EXPECT_EQ(changed, std::vector<QString>{first.path});
    EXPECT_EQ(ReadBytes(first.path.toStdString()), "Proverbs\nNew today.\nThe end.\n");
}

// Only a collection that differs from the copy replaces it: the same bytes again, an emptied
// file, one that does not load and the folder's page leave it as it was, and say why.
TEST_P(RealServer, KeepsAGoodCopyAgainstAnythingElse) {
    const QUrl proverbs = server_.Url("/lists/proverbs.zin");
    const DownloadOutcome first = web_.Download(proverbs);
    ASSERT_EQ(first.failure, "");
    const std::string copy = first.path.toStdString();
    const std::string original = ReadBytes(copy);
    const auto written = std::filesystem::last_write_time(copy);
    const DownloadOutcome same = web_.Download(proverbs);
    EXPECT_EQ(same.failure, "");
    EXPECT_FALSE(same.changed);
    EXPECT_EQ(std::filesystem::last_write_time(copy), written);

    const std::string address = proverbs.toString().toStdString() + " - ";
    web_.published.Write("lists/proverbs.zin", "");
    EXPECT_EQ(web_.Download(proverbs).failure,
              address + "The server sent an empty file, not a collection");
    web_.published.Write("lists/proverbs.zin", "\nTitle after an empty line\n");
    EXPECT_EQ(web_.Download(proverbs).failure,
              address + "It does not load as a collection: List index out of bounds (0)");
    const QUrl folder = server_.Url("/lists");
    EXPECT_EQ(web_.Download(folder).failure,
              folder.toString().toStdString() +
                  " - This address gives a list of 2 collections, not a collection");
    EXPECT_EQ(ReadBytes(copy), original);
}

// zincheck previews an address as it previews the same file, and names a failure.
TEST_P(RealServer, ZincheckPreviewsACollectionByItsAddress) {
    const std::string url =
        server_.Url("/lists/caf%C3%A9%20talk.zin").toString(QUrl::FullyEncoded).toStdString();
    const ToolOutcome fetched = RunTool(RunZincheck, {"--seed", "7", url});
    EXPECT_EQ(fetched.status, kZincheckLoaded) << fetched.err;
    EXPECT_EQ(fetched.out, RunTool(RunZincheck, {"--seed", "7",
                                                 web_.published.Path("lists/caf\xc3\xa9 talk.zin")})
                               .out);
    const ToolOutcome missing = RunTool(RunZincheck, {url + "x"});
    EXPECT_EQ(missing.status, kZincheckFailed);
    EXPECT_TRUE(missing.err.starts_with(url + "x - HTTP 404 ")) << missing.err;

    // "http:/host/..." with one slash is an address, and a folder's is a list.
    EXPECT_EQ(RunTool(RunZincheck, {"--seed", "7", "http:/" + url.substr(7)}).out, fetched.out);
    const std::string folder = url.substr(0, url.rfind('/') + 1);
    EXPECT_EQ(RunTool(RunZincheck, {folder}).err,
              folder + " - This is a folder's address: it gives a list of collections, not a "
                       "collection.\n");
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServer, testing::Values(WebServer::Python, WebServer::Nginx),
                         [](const auto& info) { return info.param ? "Nginx" : "Python"; });

struct Hostility {
    const char* mode;
    std::string failure;
    HttpLimits limits = kShortIdle;
};

class HostileServer : public testing::TestWithParam<Hostility> {};

// Each gets its message, the copy kept before stays as it was, and nothing else is written.
TEST_P(HostileServer, FailsWithItsMessageAndReplacesNothing) {
    WebFixture web;
    WebServer server(GetParam().mode);
    const QUrl url = server.Url("/c.zin");
    web.folder.Keep({url, "", ""}, "Kept\nentry\nLast\n");
    const QString copy = web.folder.CopyPath(url);
    const std::vector<std::string> before = web.ProgramFiles();
    web.get.SetLimits(GetParam().limits);

    const DownloadOutcome outcome = web.Download(url);
    EXPECT_EQ(outcome.failure, url.toString().toStdString() + " - " + GetParam().failure);
    EXPECT_EQ(ReadBytes(copy.toStdString()), "Kept\nentry\nLast\n");
    EXPECT_EQ(web.ProgramFiles(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, HostileServer,
    testing::Values(
        Hostility{"drip", "No complete answer within 2 seconds", kShortWhole},
        Hostility{"silent", "No byte of the answer for 2 seconds"},
        // Only the size limit can end it.
        Hostility{"endless", "The answer is larger than 64 MiB", HttpLimits{}},
        Hostility{"badstatus", "Unreadable answer: invalid HTTP status code"},
        Hostility{"loop", "More than 5 redirects"},
        // Each answer comes within the idle limit; the redirects together exceed the whole.
        Hostility{"slowloop", "No complete answer within 2 seconds", kShortWhole},
        Hostility{"reset", "The connection failed before the end of the answer: Error #10054 "
                           "(WSAECONNRESET)"},
        Hostility{"short", "The connection closed before the end of the answer"},
        Hostility{"badchunk", "Unreadable answer: invalid character in chunk size header"},
        Hostility{"gzip",
                  "The answer is compressed (Content-Encoding: gzip); only identity is supported"},
        Hostility{"identitygzip", "The answer is compressed (Content-Encoding: identity, gzip); "
                                  "only identity is supported"},
        Hostility{"chunkedgzip", "The answer's Transfer-Encoding chunked, gzip is not supported"},
        Hostility{"bigchunk", "Unreadable answer: a chunk's size is too large"},
        Hostility{"portal", "The server sent a web page, not a collection"},
        Hostility{"htmlbytes", "The server sent a web page, not a collection"},
        Hostility{"empty", "The server sent an empty file, not a collection"}),
    [](const auto& info) { return std::string(info.param.mode); });

// A list may name anything; what it names is kept inside the web folder or refused.
TEST(HostileList, NamesNothingOutsideTheWebFolder) {
    WebFixture web;
    WebServer server("dotdot");
    const HttpAnswer list = web.Get(server.Url("/list.txt"));
    const std::vector<QUrl> entries = ReadCollectionList(list.url, list.body, list.contentType);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(web.folder.CopyPath(entries[0]).startsWith(web.folder.Root() + "/127.0.0.1_"));
    EXPECT_TRUE(web.folder.CopyPath(entries[1]).startsWith(web.folder.Root() + "/127.0.0.1_"));
    const DownloadOutcome outcome = web.Download(entries[2]);
    EXPECT_NE(outcome.failure.find("Cannot keep a copy of this address"), std::string::npos);
    EXPECT_TRUE(web.ProgramFiles().empty());
}

// An interrupted zincheck removes the scratch folder it fetched into, and ends by the signal.
TEST(ZincheckInterrupted, LeavesNoScratchFolder) {
    const WebServer server("silent");
    for (const int signal : {SIGINT, SIGTERM}) {
        const TestFolder temporary;
        QProcess zincheck;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", QString::fromStdString(temporary.Path("")));
        zincheck.setProcessEnvironment(environment);
        zincheck.start(ZINCHECK_PATH, {server.Url("/c.zin").toString()});
        ASSERT_TRUE(PumpUntil([&] { return !std::filesystem::is_empty(temporary.Path("")); }));
        ::kill(pid_t(zincheck.processId()), signal);
        ASSERT_TRUE(zincheck.waitForFinished(10000));
        EXPECT_EQ(zincheck.exitStatus(), QProcess::CrashExit);
        EXPECT_TRUE(std::filesystem::is_empty(temporary.Path(""))) << signal;
    }
}

// A refused address is reported from the event loop: a download cancelled or started again
// before then says nothing of it.
TEST(WebDownloadRefusal, IsDroppedByCancelAndByANewStart) {
    WebFixture web;
    WebDownload download(web.get, web.folder);
    std::vector<std::string> failures;
    download.OnDone = [&](const DownloadOutcome& done) { failures.push_back(done.failure); };
    download.Start(QUrl("http://h/cancelled//x"));
    download.Cancel();
    download.Start(QUrl("http://h/superseded//x"));
    download.Start(QUrl("http://h/last//x"));
    ASSERT_TRUE(PumpUntil([&] { return !failures.empty(); }));
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_TRUE(failures[0].starts_with("http://h/last//x - Cannot keep")) << failures[0];
}

// The idle limit counts from the last byte: 4 KiB every half second outlasts it.
TEST(FetchLimits, ASteadySlowAnswerIsTakenWhole) {
    WebFixture web;
    WebServer server("trickle");
    web.get.SetLimits(kShortIdle);
    const HttpAnswer answer = web.Get(server.Url("/c.zin"));
    EXPECT_EQ(answer.failure, "");
    EXPECT_EQ(answer.body, std::string(8 * 4096, 'x'));
}

// Refused before a connection, naming the address, instead of fetching from port 80.
TEST(FetchLimits, RefusesPortsOutOfRangeAndIpv6Addresses) {
    WebFixture web;
    for (const std::string text : {"http://127.0.0.1:0/c.zin", "http://127.0.0.1:65536/c.zin",
                                   "https://127.0.0.1:99999/c.zin", "http://127.0.0.1:abc/c.zin"}) {
        EXPECT_EQ(web.Download(QUrl(QString::fromStdString(text))).failure,
                  text + " - The port must be a number from 1 to 65535");
    }
    EXPECT_EQ(web.Download(QUrl("http://[::1]:8080/c.zin")).failure,
              "http://[::1]:8080/c.zin - Only IPv4 addresses are supported, not [::1]");
}

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
    web.folder.Keep({url, "", ""}, "Kept\nentry\nLast\n");
    const QString copy = web.folder.CopyPath(url);
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
