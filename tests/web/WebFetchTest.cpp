#include "sock/Sock.h"
#include "tests/support/SockTestSupport.h"
#include "tests/support/TestFolder.h"
#include "tests/support/ToolRun.h"
#include "tests/support/WebServers.h"
#include "tools/zincheck/Zincheck.h"
#include "web/CollectionList.h"
#include "web/CopyRefresher.h"
#include "web/WebDownload.h"

#include <QDirIterator>
#include <filesystem>
#include <gtest/gtest.h>

namespace zintra {
namespace {

constexpr int kDeadlineMs = 30000;

// A program folder with its web folder, and a published folder of collections.
struct WebFixture {
    TestFolder program;
    TestFolder published;
    TestFolder scratch;
    WebFolder folder{QString::fromStdString(program.Path("web"))};
    TSock sock{nullptr};

    WebFixture() {
        std::filesystem::create_directories(published.Path("lists"));
        published.Write("lists/proverbs.zin", "Proverbs\nA stitch in time.\nThe end.\n");
        published.Write("lists/caf\xc3\xa9 talk.zin", "Talk\nEspresso.\nBye.\n");
        published.Write("lists/readme.txt", "not a collection\n");
    }

    DownloadOutcome Download(const QUrl& url, bool refresh = false,
                             std::chrono::milliseconds timeout = HttpGet::kTimeout) {
        HttpGet get(sock);
        get.SetTimeout(timeout);
        WebDownload download(get, folder);
        std::optional<DownloadOutcome> outcome;
        download.OnDone = [&](const DownloadOutcome& done) { outcome = done; };
        download.Start(url, refresh);
        EXPECT_TRUE(PumpUntil([&] { return outcome.has_value(); }, kDeadlineMs));
        return outcome.value_or(DownloadOutcome{{}, false, "no outcome"});
    }

    HttpAnswer Get(const QUrl& url) {
        HttpGet get(sock);
        std::optional<HttpAnswer> answer;
        get.OnDone = [&](const HttpAnswer& done) { answer = done; };
        get.Start(url);
        EXPECT_TRUE(PumpUntil([&] { return answer.has_value(); }, kDeadlineMs));
        if (!answer) {
            answer.emplace().failure = "no answer";
        }
        return *answer;
    }

    // Every file under the program's folder, relative to it.
    std::vector<std::string> ProgramFiles() const {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(program.Path(""))) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path().lexically_relative(program.Path("")).string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }
};

enum class Server { Python, Nginx };

class RealServer : public testing::TestWithParam<Server> {
protected:
    void Start(WebServer& server) {
        if (GetParam() == Server::Python) {
            WebServer::Python(server, web.published.Path(""));
        } else {
            WebServer::Nginx(server, web.published.Path(""), web.scratch);
        }
    }
    WebFixture web;
};

// The folder's index page is a list; its collections are kept and refreshed only when changed.
TEST_P(RealServer, ListsFetchesAndRefreshesAFolderOfCollections) {
    WebServer server;
    Start(server);
    // Without its "/", the folder's address is redirected to the index page.
    const HttpAnswer list = web.Get(server.Url("/lists"));
    ASSERT_EQ(list.failure, "");
    std::vector<QString> names;
    std::vector<QUrl> entries = ReadCollectionList(list.url, list.body, list.contentType);
    for (const QUrl& entry : entries) {
        names.push_back(CollectionName(entry));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<QString>{QStringLiteral("caf\u00e9 talk.zin"),
                                           QStringLiteral("proverbs.zin")}));

    const QUrl proverbs = server.Url("/lists/proverbs.zin");
    const DownloadOutcome first = web.Download(proverbs);
    ASSERT_EQ(first.failure, "");
    EXPECT_TRUE(first.changed);
    EXPECT_EQ(ReadBytes(first.path.toStdString()),
              ReadBytes(web.published.Path("lists/proverbs.zin")));

    const DownloadOutcome unchanged = web.Download(proverbs, /*refresh=*/true);
    EXPECT_EQ(unchanged.failure, "");
    EXPECT_FALSE(unchanged.changed);

    CopyRefresher refresher(web.folder);
    std::vector<QString> changed;
    refresher.OnChanged = [&](const QString& path) { changed.push_back(path); };
    web.published.Write("lists/proverbs.zin", "Proverbs\nNew today.\nThe end.\n");
    std::filesystem::last_write_time(web.published.Path("lists/proverbs.zin"),
                                     std::filesystem::file_time_type::clock::now() +
                                         std::chrono::hours(1));
    refresher.Follow(first.path);
    ASSERT_TRUE(PumpUntil([&] { return !changed.empty(); }, kDeadlineMs));
    EXPECT_EQ(changed, std::vector<QString>{first.path});
    EXPECT_EQ(ReadBytes(first.path.toStdString()), "Proverbs\nNew today.\nThe end.\n");
}

// zincheck previews an address as it previews the same file, and names a failure.
TEST_P(RealServer, ZincheckPreviewsACollectionByItsAddress) {
    WebServer server;
    Start(server);
    const std::string url =
        server.Url("/lists/caf%C3%A9%20talk.zin").toString(QUrl::FullyEncoded).toStdString();
    const ToolOutcome fetched = RunTool(RunZincheck, {"--seed", "7", url});
    EXPECT_EQ(fetched.status, kZincheckLoaded) << fetched.err;
    EXPECT_EQ(fetched.out, RunTool(RunZincheck, {"--seed", "7",
                                                 web.published.Path("lists/caf\xc3\xa9 talk.zin")})
                               .out);

    const ToolOutcome missing = RunTool(RunZincheck, {url + "x"});
    EXPECT_EQ(missing.status, kZincheckFailed);
    EXPECT_TRUE(missing.err.starts_with(url + "x - HTTP 404 ")) << missing.err;
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServer, testing::Values(Server::Python, Server::Nginx),
                         [](const auto& info) {
                             return info.param == Server::Python ? "Python" : "Nginx";
                         });

struct Hostility {
    const char* mode;
    std::string failure;
};

class HostileServer : public testing::TestWithParam<Hostility> {};

// Each gets its message, the copy kept before stays as it was, and nothing else is written.
TEST_P(HostileServer, FailsWithItsMessageAndReplacesNothing) {
    WebFixture web;
    WebServer server;
    WebServer::Hostile(server, GetParam().mode);
    const QUrl url = server.Url("/c.zin");
    const QString copy = web.folder.Keep({url, "", ""}, "Kept\nentry\nLast\n");
    const std::vector<std::string> before = web.ProgramFiles();

    const DownloadOutcome outcome = web.Download(url, false, std::chrono::seconds(2));
    EXPECT_EQ(outcome.failure, url.toString().toStdString() + " - " + GetParam().failure);
    EXPECT_FALSE(outcome.changed);
    EXPECT_EQ(ReadBytes(copy.toStdString()), "Kept\nentry\nLast\n");
    EXPECT_EQ(web.ProgramFiles(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, HostileServer,
    testing::Values(
        Hostility{"drip", "No complete answer within 2 seconds"},
        Hostility{"silent", "No complete answer within 2 seconds"},
        Hostility{"endless", "The answer is larger than 64 MiB"},
        Hostility{"badstatus", "Unreadable answer: invalid HTTP status code"},
        Hostility{"loop", "More than 5 redirects"},
        Hostility{"https", "Only http: addresses are supported, not https: (redirected to "
                           "https://127.0.0.1/a.zin)"},
        Hostility{"reset", "The connection failed before the end of the answer: Error #10054 "
                           "(WSAECONNRESET)"},
        Hostility{"short", "The connection closed before the end of the answer"},
        Hostility{"badchunk", "Unreadable answer: invalid character in chunk size header"},
        Hostility{"gzip",
                  "The answer is compressed (Content-Encoding: gzip); only identity is supported"}),
    [](const auto& info) { return std::string(info.param.mode); });

// A list may name anything; what it names is kept inside the web folder or refused.
TEST(HostileList, NamesNothingOutsideTheWebFolder) {
    WebFixture web;
    WebServer server;
    WebServer::Hostile(server, "dotdot");
    const HttpAnswer list = web.Get(server.Url("/list.txt"));
    ASSERT_EQ(list.failure, "");
    const std::vector<QUrl> entries = ReadCollectionList(list.url, list.body, list.contentType);
    ASSERT_EQ(entries.size(), 3u);
    for (const QUrl& entry : entries) {
        try {
            EXPECT_TRUE(web.folder.CopyPath(entry).startsWith(web.folder.Root() + "/"));
        } catch (const std::exception& refused) {
            EXPECT_EQ(entry.port(), 1) << refused.what();
        }
    }
    const DownloadOutcome outcome = web.Download(entries.back());
    EXPECT_NE(outcome.failure.find("Cannot keep a copy of this address"), std::string::npos);
    EXPECT_TRUE(web.ProgramFiles().empty());
}

} // namespace
} // namespace zintra
