#pragma once

#include "web/FeedReader.h"

#include <QDateTime>
#include <QTimeZone>
#include <QUrl>
#include <string>
#include <vector>

namespace zintra {

// What goes between two headlines on the bar.
inline constexpr const char* kHeadlineDivider = "   \u2022   ";

// A feed as the bar shows it: a collection that keeps the feed's order, the feed's title first
// (or its site's name when it has none), a headline per story, and last the time it was fetched;
// beside it, the address of each of the collection's lines (empty where a line has none).
struct FeedCollection {
    std::string text;
    std::vector<QUrl> links;
};

// `address` is where the feed was fetched from, `fetched` when.
FeedCollection MakeFeedCollection(const Feed& feed, const QUrl& address, const QDateTime& fetched);

} // namespace zintra
