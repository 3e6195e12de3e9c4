#include "web/FeedCollection.h"

namespace zintra {

namespace {

// The bar takes "&" for a mnemonic mark: doubled, it shows as written.
void AppendLine(FeedCollection& collection, std::string_view line, const QUrl& link = {}) {
    for (std::size_t mark = line.find('&'); mark != std::string_view::npos; mark = line.find('&')) {
        collection.text.append(line.substr(0, mark + 1)).append(1, '&');
        line.remove_prefix(mark + 1);
    }
    collection.text.append(line).append(1, '\n');
    collection.links.push_back(link);
}

} // namespace

FeedCollection MakeFeedCollection(const Feed& feed, const QUrl& address, const QDateTime& fetched) {
    FeedCollection collection;
    AppendLine(collection, std::string("@@*DIV") + kHeadlineDivider);
    AppendLine(collection, "@@*NORANDOM");
    const std::string title = feed.title.empty() ? address.host().toStdString() : feed.title;
    AppendLine(collection, title + ":", feed.link);
    for (const FeedItem& item : feed.items) {
        AppendLine(collection, item.title, item.link);
    }
    AppendLine(collection,
               "Fetched " + fetched.toString(QStringLiteral("yyyy-MM-dd HH:mm t")).toStdString());
    return collection;
}

} // namespace zintra
