// A feed read into a collection, against the bar reading the same headlines from a collection
// file: the feed costs its parsing and the cleaning of its titles.
#include "core/MessageBar.h"
#include "web/FeedCollection.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <libxml/parser.h>

using namespace zintra;

namespace {

class NoWindow : public MessageBarView {
public:
    void SetBarText(const std::string&) override {}
    void SetTimerEnabled(bool) override {}
};

const QUrl kAddress(QStringLiteral("https://news.example/feed.xml"));

// A feed as a news site writes it: a story every hour, with a date, a guid and a summary; one
// title in ten carries an entity, one in fifty markup.
std::string NewsFeed(std::int64_t stories) {
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">"
                       "<channel><title>Generated news</title><link>https://news.example/</link>"
                       "<description>Every story</description><ttl>30</ttl>\n";
    for (std::int64_t i = 0; i < stories; ++i) {
        const std::string n = std::to_string(i);
        std::string title = "Story " + n + ": the river keeps the lantern lit through harvest";
        if (i % 10 == 0) {
            title += " &amp; morning";
        }
        if (i % 50 == 0) {
            title = "<![CDATA[<b>Breaking</b> " + title + "]]>";
        }
        body += "<item><title>" + title + "</title><link>https://news.example/story/" + n +
                "</link><guid isPermaLink=\"false\">news-" + n +
                "</guid><pubDate>Thu, 10 Dec 2026 05:00:00 GMT</pubDate><description>A summary "
                "of the story, two sentences long. It says what happened and where.</description>"
                "</item>\n";
    }
    return body + "</channel></rss>\n";
}

const QDateTime kFetched(QDate(2026, 12, 10), QTime(6, 0), QTimeZone::utc());

void FeedToCollection(benchmark::State& state) {
    const std::string body = NewsFeed(state.range(0));
    for (auto _ : state) {
        const FeedCollection collection =
            MakeFeedCollection(ReadFeed(body, kAddress), kAddress, kFetched);
        benchmark::DoNotOptimize(collection.text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(body.size()));
}

// The floor: libxml2 reading the same document with nothing done with what it reads.
void ParseOnly(benchmark::State& state) {
    const std::string body = NewsFeed(state.range(0));
    xmlSAXHandler nothing{};
    nothing.initialized = XML_SAX2_MAGIC;
    for (auto _ : state) {
        const int size = static_cast<int>(body.size());
        benchmark::DoNotOptimize(xmlSAXUserParseMemory(&nothing, nullptr, body.data(), size));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(body.size()));
}

// The same headlines the feed gives, loaded by the bar from a collection file.
void SameHeadlinesFromFile(benchmark::State& state) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "zintra-bench-feed-headlines.zin").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        << MakeFeedCollection(ReadFeed(NewsFeed(state.range(0)), kAddress), kAddress, kFetched)
               .text;
    NoWindow window;
    MessageBar bar(window);
    for (auto _ : state) {
        bar.Load(path);
        benchmark::DoNotOptimize(bar.MessageLength());
    }
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(FeedToCollection)->Arg(1000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseOnly)->Arg(1000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(SameHeadlinesFromFile)->Arg(1000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);
