#pragma once

#include "base/Exceptions.h"

#include <QUrl>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zintra {

// A document that was taken for a feed but cannot be shown as one: why, in the user's words.
class EFeedError : public Exception {
public:
    static constexpr const char* ClassName = "EFeedError";
    using Exception::Exception;
};

// One story of a feed: its headline as plain text (never empty) and its address, when it has an
// http: or https: one.
struct FeedItem {
    std::string title;
    QUrl link;
};

// What the bar shows of a feed: its title (possibly empty), its site, its stories in the feed's
// order, and how long it asks to be left alone between fetches.
struct Feed {
    std::string title;
    QUrl link;
    std::vector<FeedItem> items;
    std::optional<std::chrono::minutes> ttl;
};

// At most this many stories are read; the rest of a longer feed is not looked at.
inline constexpr std::size_t kFeedItemLimit = 5000;

// The http: or https: address `reference` names, taken relative to `base`; empty for another.
QUrl WebLink(const QUrl& base, const QString& reference);

// True for a document that is a feed rather than a collection or a list: by its Content-Type
// when that names a feed, otherwise by its first element (rss, rdf:RDF, an Atom feed) or, for a
// JSON document, its JSON Feed version.
bool IsFeed(std::string_view body, std::string_view contentType);

// Reads RSS 2.0, RSS 1.0, Atom 1.0 or JSON Feed 1.x fetched from `address`, against which
// relative links are resolved. Nothing is loaded from the network or from files: a document
// that declares entities, or is not well-formed, no feed, or a feed without stories, raises
// EFeedError.
Feed ReadFeed(std::string_view body, const QUrl& address);

} // namespace zintra
