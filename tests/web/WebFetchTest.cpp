#include "tests/support/ToolRun.h"
#include "tests/support/WebServers.h"
#include "tests/web/WebFixture.h"
#include "tools/zincheck/Zincheck.h"
#include "web/CollectionList.h"
#include "web/CopyRefresher.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace zintra {
namespace {

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
    const QString copy = web.folder.Keep({url, "", ""}, "Kept\nentry\nLast\n");
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
                  "The answer is compressed (Content-Encoding: gzip); only identity is supported"}),
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

} // namespace
} // namespace zintra
