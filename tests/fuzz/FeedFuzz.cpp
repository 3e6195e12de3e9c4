// Feeds: any document read as a feed gives plain headlines and web links only; a feed built
// from fuzzed titles gives back every title that is not blank, once, in order, cleaned the plain
// way and within the cut.
#include "tests/fuzz/FuzzSupport.h"
#include "web/FeedReader.h"
#include "web/FeedText.h"

#include <QString>
#include <fuzzer/FuzzedDataProvider.h>

using namespace zintra;

namespace {

const QUrl kAddress(QStringLiteral("https://feeds.example/a/feed.xml"));

bool Dropped(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

bool Blank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// A title as the bar must show it, worked out on whole strings: blanks collapsed and trimmed,
// then controls dropped, then the cut.
std::u32string Expected(std::u32string text) {
    std::u32string words;
    bool blank = false;
    for (const char32_t c : text) {
        if (Blank(c)) {
            blank = true;
        } else if (!Dropped(c)) {
            if (blank && !words.empty()) {
                words += U' ';
            }
            blank = false;
            words += c;
        }
    }
    if (words.size() > kHeadlineLimit) {
        words.resize(kHeadlineLimit - 1);
        while (!words.empty() && words.back() == U' ') {
            words.pop_back();
        }
        words += U'\u2026';
    }
    return words;
}

std::u32string Decode(const std::string& utf8) {
    const QList<uint> ucs4 = QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

std::string Encode(const std::u32string& text) {
    return QString::fromUcs4(text.data(), qsizetype(text.size())).toUtf8().toStdString();
}

void CheckPlain(const FeedItem& item) {
    const std::u32string title = Decode(item.title);
    Require(Encode(title) == item.title, "a headline is valid UTF-8");
    Require(!title.empty() && title.size() <= kHeadlineLimit, "a headline is within the cut");
    Require(title.front() != U' ' && title.back() != U' ', "a headline is trimmed");
    for (std::size_t i = 0; i < title.size(); ++i) {
        Require(!Dropped(title[i]) && (title[i] == U' ' || !Blank(title[i])),
                "a headline holds no control character and no other blank than ' '");
        Require(title[i] != U' ' || title[i + 1] != U' ', "a headline's blanks are collapsed");
    }
    const QString scheme = item.link.scheme();
    Require(item.link.isEmpty() || scheme == "http" || scheme == "https",
            "only web links are kept");
}

// Any document: nothing but plain headlines and web links comes out.
void CheckAnyDocument(const std::string& body) {
    IsFeed(body, "");
    try {
        const Feed feed = ReadFeed(body, kAddress);
        Require(!feed.items.empty() && feed.items.size() <= kFeedItemLimit,
                "a feed read has stories, not more than the limit");
        for (const FeedItem& item : feed.items) {
            CheckPlain(item);
        }
    } catch (const EFeedError&) {
    }
}

std::string Escaped(const std::u32string& text) {
    std::string out;
    for (const char c : Encode(text)) {
        out += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : std::string(1, c);
    }
    return out;
}

// Titles as an Atom or an RSS feed: every one that is not blank comes back, in order.
void CheckBuiltFeed(FuzzedDataProvider& input) {
    const bool atom = input.ConsumeBool();
    std::string body = atom ? "<feed xmlns='http://www.w3.org/2005/Atom'><title>F</title>"
                            : "<rss><channel><title>F</title>";
    std::vector<std::u32string> expected;
    while (input.remaining_bytes() > 0 && expected.size() < 50) {
        std::u32string title;
        // Characters XML cannot carry are left out; RSS titles are HTML, so plain ones are
        // made without markup.
        for (const char32_t c : Decode(input.ConsumeRandomLengthString(800))) {
            const bool xmlChar = c >= 0x20 ? c < 0xFFFE : c == '\t' || c == '\n' || c == '\r';
            if (xmlChar && (atom || (c != '<' && c != '&'))) {
                title += c;
            }
        }
        body += (atom ? "<entry><title>" : "<item><title>") + Escaped(title) +
                (atom ? "</title></entry>" : "</title></item>");
        if (!Expected(title).empty()) {
            expected.push_back(Expected(title));
        }
    }
    body += atom ? "</feed>" : "</channel></rss>";
    try {
        const Feed feed = ReadFeed(body, kAddress);
        Require(feed.items.size() == expected.size(), "every titled story is read");
        for (std::size_t i = 0; i < expected.size(); ++i) {
            CheckPlain(feed.items[i]);
            Require(Decode(feed.items[i].title) == expected[i], "titles come in order, plain");
        }
    } catch (const EFeedError&) {
        Require(expected.empty(), "a feed with titled stories is read");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The choice comes from the last byte, so a feed document is a seed as it is.
    FuzzedDataProvider input(data, size);
    if (size > 0 && data[size - 1] == '!') {
        input.ConsumeBool();
        CheckBuiltFeed(input);
    } else {
        CheckAnyDocument(input.ConsumeRemainingBytesAsString());
    }
    return 0;
}
