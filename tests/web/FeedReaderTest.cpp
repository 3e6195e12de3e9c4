// Feed reading: documents as common generators write them, and hostile ones.
#include "web/FeedReader.h"

#include "web/FeedCollection.h"
#include "web/FeedCopy.h"
#include "web/FeedText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace zintra;
using testing::HasSubstr;

namespace {

const QUrl kAddress(QStringLiteral("https://blog.example/feed/"));

// A blog engine's RSS 2.0: CDATA and HTML in titles, entities, a guid for a link, a story
// without a title, relative and hostile links.
constexpr std::string_view kBlogRss = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0" xmlns:atom="http://www.w3.org/2005/Atom" xmlns:dc="http://purl.org/dc/elements/1.1/">
<channel>
  <title>Notes &amp; Letters</title>
  <atom:link href="https://blog.example/feed/" rel="self" type="application/rss+xml"/>
  <link>https://blog.example</link>
  <ttl>90</ttl>
  <image><title>Logo</title><url>https://blog.example/logo.png</url></image>
  <item>
    <title><![CDATA[Caf&eacute; <em>opens</em>
       &amp;   closes]]></title>
    <link>https://blog.example/2026/12/cafe/</link>
    <dc:title>Not this one</dc:title>
  </item>
  <item>
    <title>It&#8217;s &lt;b&gt;here&lt;/b&gt;</title>
    <guid isPermaLink="true">https://blog.example/?p=12</guid>
  </item>
  <item>
    <description><![CDATA[<p>A story told in its description</p>]]></description>
    <link>/2026/12/told/</link>
  </item>
  <item><title>Click me</title><link>javascript:alert(1)</link></item>
  <item><title>Read me</title><link>file:///etc/passwd</link></item>
  <item><title>   </title></item>
</channel>
</rss>)";

// Atom with type="html" and xhtml titles, and links relative to xml:base.
constexpr std::string_view kAtomFeed = R"(<?xml version="1.0" encoding="utf-8"?>
<feed xmlns="http://www.w3.org/2005/Atom" xml:base="https://news.example/section/">
  <title type="html">&lt;i&gt;Section&lt;/i&gt; news</title>
  <link rel="self" href="feed.atom"/>
  <link rel="alternate" href="./"/>
  <entry xml:base="/2026/">
    <title type="html">&lt;b&gt;Bold&lt;/b&gt; &amp;amp; plain</title>
    <link rel="enclosure" href="a.mp3"/>
    <link rel="alternate" type="text/html" href="12/first.html"/>
  </entry>
  <entry>
    <title type="xhtml"><div xmlns="http://www.w3.org/1999/xhtml">An <b>xhtml</b> title</div></title>
    <link href="second.html"/>
  </entry>
  <entry>
    <title>Text &lt;stays&gt;</title>
    <link href="https://elsewhere.example/third"/>
  </entry>
</feed>)";

constexpr std::string_view kRdfFeed = R"(<?xml version="1.0"?>
<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#" xmlns="http://purl.org/rss/1.0/">
  <channel rdf:about="http://old.example/"><title>Old style</title><link>http://old.example/</link></channel>
  <item rdf:about="http://old.example/1"><title>First</title><link>http://old.example/1</link></item>
  <item rdf:about="http://old.example/2"><title>Second</title><link>http://old.example/2</link></item>
</rdf:RDF>)";

std::vector<std::string> Titles(const Feed& feed) {
    std::vector<std::string> titles;
    for (const FeedItem& item : feed.items) {
        titles.push_back(item.title);
    }
    return titles;
}

std::vector<QString> Links(const Feed& feed) {
    std::vector<QString> links;
    for (const FeedItem& item : feed.items) {
        links.push_back(item.link.toString());
    }
    return links;
}

std::string Failure(std::string_view body) {
    try {
        ReadFeed(body, kAddress);
    } catch (const EFeedError& failure) {
        return failure.what();
    }
    return "read";
}

std::string Rss(const std::string& items) {
    return "<rss version=\"2.0\"><channel><title>T</title>" + items + "</channel></rss>";
}

} // namespace

TEST(FeedReaderTest, ReadsTheThreeFormatsAsPlainHeadlinesWithWebLinks) {
    const Feed blog = ReadFeed(kBlogRss, kAddress);
    EXPECT_EQ(blog.title, "Notes & Letters");
    EXPECT_EQ(blog.ttl, std::chrono::minutes(90));
    EXPECT_THAT(Titles(blog),
                testing::ElementsAre("Café opens & closes", "It’s here",
                                     "A story told in its description", "Click me", "Read me"));
    EXPECT_THAT(Links(blog), testing::ElementsAre("https://blog.example/2026/12/cafe/",
                                                  "https://blog.example/?p=12",
                                                  "https://blog.example/2026/12/told/", "", ""));

    const Feed atom = ReadFeed(kAtomFeed, kAddress);
    EXPECT_EQ(atom.title, "Section news");
    EXPECT_EQ(atom.link.toString(), "https://news.example/section/");
    EXPECT_THAT(Titles(atom),
                testing::ElementsAre("Bold & plain", "An xhtml title", "Text <stays>"));
    EXPECT_THAT(Links(atom), testing::ElementsAre("https://news.example/2026/12/first.html",
                                                  "https://news.example/section/second.html",
                                                  "https://elsewhere.example/third"));

    const Feed rdf = ReadFeed(kRdfFeed, kAddress);
    EXPECT_THAT(Titles(rdf), testing::ElementsAre("First", "Second"));
    EXPECT_EQ(rdf.items[1].link.toString(), "http://old.example/2");
}

TEST(FeedReaderTest, ReadsJsonFeeds) {
    const Feed feed = ReadFeed(R"({"version": "https://jsonfeed.org/version/1.1", "title": "J",
        "items": [{"id": "1", "title": "One", "url": "/1"}, {"id": "2", "content_html": "<p>Two</p>"}]})",
                               kAddress);
    EXPECT_THAT(Titles(feed), testing::ElementsAre("One", "Two"));
    EXPECT_EQ(feed.items[0].link.toString(), "https://blog.example/1");
}

TEST(FeedReaderTest, TellsFeedsByContentTypeOrRootElement) {
    EXPECT_TRUE(IsFeed("", "application/atom+xml; charset=utf-8"));
    EXPECT_TRUE(IsFeed(kBlogRss, "text/xml"));
    EXPECT_TRUE(IsFeed(kAtomFeed, ""));
    EXPECT_TRUE(IsFeed(kRdfFeed, "application/octet-stream"));
    EXPECT_TRUE(IsFeed(R"({"version": "https://jsonfeed.org/version/1", "items": []})", ""));
    // A bomb is still told for a feed by its document type, so that it is refused as one.
    EXPECT_TRUE(IsFeed("<!DOCTYPE rss [<!ENTITY a \"x\">]><rss/>", ""));
    EXPECT_FALSE(IsFeed(kBlogRss, "text/html"));
    EXPECT_FALSE(IsFeed("@@*NORANDOM\nTitle\n<b>entry</b>\nLast\n", "text/plain"));
    EXPECT_FALSE(IsFeed("<html><body><a href=a.zin>a</a></body></html>", ""));
    EXPECT_FALSE(IsFeed(R"({"version": 2})", "application/json"));
}

TEST(FeedReaderTest, RefusesHostileAndUnusableDocumentsWithAReason) {
    std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY lol0 \"lol\">";
    for (int i = 1; i < 10; ++i) {
        std::string references;
        for (int j = 0; j < 10; ++j) {
            references += "&lol" + std::to_string(i - 1) + ";";
        }
        bomb += "<!ENTITY lol" + std::to_string(i) + " \"" + references + "\">";
    }
    bomb += "]>" + Rss("<item><title>&lol9;</title></item>");
    EXPECT_THAT(Failure(bomb), HasSubstr("entity bomb"));
    EXPECT_THAT(Failure("<!DOCTYPE rss [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" +
                        Rss("<item><title>&x;</title></item>")),
                HasSubstr("read from file:///etc/passwd"));
    EXPECT_THAT(Failure(Rss("<item><title>cut")), HasSubstr("not well-formed XML (line 1"));
    EXPECT_THAT(Failure("<!DOCTYPE html><html><head><title>Blog</title></head></html>"),
                HasSubstr("web page"));
    EXPECT_THAT(Failure(Rss("")), HasSubstr("no stories"));
    EXPECT_THAT(Failure(""), HasSubstr("empty"));
    EXPECT_THAT(Failure("{\"items\": []}"), HasSubstr("no JSON Feed version"));
}

TEST(FeedReaderTest, CleansOddHeadlines) {
    // Control bytes (a NUL among them) that XML forbids, C1 controls and a direction override
    // go; right-to-left text stays as it is.
    const Feed feed = ReadFeed(Rss(std::string("<item><title>a\0b\x01", 17) +
                                   "c\xC2\x85</title></item><item><title>\xE2\x80\xAE"
                                   "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D world</title></item>"),
                               kAddress);
    EXPECT_THAT(Titles(feed),
                testing::ElementsAre("abc", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D world"));

    // A title of a megabyte is cut at the limit, the cut marked.
    const Feed big =
        ReadFeed(Rss("<item><title>" + std::string(1 << 20, 'x') + "</title></item>"), kAddress);
    EXPECT_EQ(big.items[0].title, std::string(kHeadlineLimit - 1, 'x') + "\u2026");
    EXPECT_EQ(PlainHeadline(std::string(kHeadlineLimit, 'y'), false),
              std::string(kHeadlineLimit, 'y'));
}

TEST(FeedReaderTest, ReadsOnlyTheFirstStoriesOfAHugeFeed) {
    std::string body = Rss("");
    body.resize(body.size() - std::string_view("</channel></rss>").size());
    for (int i = 0; body.size() < (std::size_t(64) << 20); ++i) {
        body += "<item><title>" + std::to_string(i) + "</title></item>";
    }
    const Feed feed = ReadFeed(body, kAddress);
    ASSERT_EQ(feed.items.size(), kFeedItemLimit);
    EXPECT_EQ(feed.items.back().title, std::to_string(kFeedItemLimit - 1));
}

TEST(FeedReaderTest, MakesACollectionInFeedOrderWithALinkPerLine) {
    Feed feed{"", {}, {{"Q&A", QUrl("https://a.example/1")}, {"Two", {}}}, {}};
    const FeedCollection collection = MakeFeedCollection(
        feed, kAddress, QDateTime(QDate(2026, 12, 10), QTime(6, 30), QTimeZone::utc()));
    EXPECT_EQ(collection.text, std::string("@@*DIV") + kHeadlineDivider +
                                   "\n@@*NORANDOM\nblog.example:\nQ&&A\nTwo\n"
                                   "Fetched 2026-12-10 06:30 UTC\n");
    ASSERT_EQ(collection.links.size(), 6u);
    EXPECT_EQ(collection.links[3].toString(), "https://a.example/1");
}

TEST(FeedReaderTest, AFeedIsLeftAloneForItsTtlOrItsMaxAgeWhicheverIsLonger) {
    HttpAnswer answer;
    answer.url = kAddress;
    answer.body = Rss("<ttl>60</ttl><item><title>A</title></item>");
    answer.cacheControl = "public, max-age=7200";
    EXPECT_EQ(CopyTextOf(answer, {}).freshFor, std::chrono::hours(2));
    answer.cacheControl = "s-maxage=9000, max-age=60";
    EXPECT_EQ(CopyTextOf(answer, {}).freshFor, std::chrono::hours(1));
    answer.body = "Title\nEntry\nLast\n";
    EXPECT_EQ(CopyTextOf(answer, {}).text, answer.body);
}
