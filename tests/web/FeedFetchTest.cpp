// Feeds fetched from real servers become collections with links; a feed that cannot be shown
// replaces nothing.
#include "tests/support/TestFolder.h"
#include "tests/support/WebServers.h"
#include "web/CopyRefresher.h"
#include "web/FeedLinks.h"
#include "web/FetchNow.h"
#include "web/WebFailure.h"

#include <QFile>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zintra {
namespace {

constexpr std::string_view kFeed = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0"><channel><title>Served</title><link>http://site.example/</link><ttl>120</ttl>
<item><title><![CDATA[First <em>story</em>]]></title><link>/first</link></item>
<item><title>Second story</title><link>javascript:alert(1)</link></item>
</channel></rss>
)";

std::string Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

class FeedFetchTest : public testing::TestWithParam<WebServer::Kind> {
protected:
    TestFolder program, published, scratch;
    WebFolder folder{QString::fromStdString(program.Path("web"))};
    WebServer server{GetParam(), published.Path(""), scratch};
};

TEST_P(FeedFetchTest, AFeedsCopyIsItsCollectionAndABrokenRefreshKeepsIt) {
    published.Write("feed.xml", std::string(kFeed));
    const QString copy = FetchCopyNow(server.Url("/feed.xml"), folder);
    const std::string collection = Read(copy);
    EXPECT_THAT(collection, testing::HasSubstr("@@*NORANDOM\nServed:\nFirst story\nSecond story\n"
                                               "Fetched "));
    const std::vector<QUrl> links = FeedLinks(folder).Of(copy);
    ASSERT_EQ(links.size(), 6u);
    EXPECT_EQ(links[3], server.Url("/first"));
    EXPECT_TRUE(links[4].isEmpty());
    CopyRefresher refresher(folder);
    refresher.Follow(copy);
    EXPECT_EQ(refresher.Interval(), std::chrono::minutes(120));

    for (const std::string& bad :
         {std::string("<rss><channel><item><title>cut"), std::string("<rss><channel/></rss>"),
          std::string(
              "<!DOCTYPE rss [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><rss>&x;</rss>")}) {
        published.Write("feed.xml", bad);
        EXPECT_THROW(FetchCopyNow(server.Url("/feed.xml"), folder), EWebFailure) << bad;
        EXPECT_EQ(Read(copy), collection);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, FeedFetchTest,
                         testing::Values(WebServer::Python, WebServer::Nginx));

} // namespace
} // namespace zintra
