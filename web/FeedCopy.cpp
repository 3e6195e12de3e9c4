#include "web/FeedCopy.h"

#include "web/FeedCollection.h"

namespace zintra {

CopyText CopyTextOf(const HttpAnswer& answer, const QDateTime& fetched) {
    if (!IsFeed(answer.body, answer.contentType)) {
        return {answer.body, {}, {}};
    }
    const Feed feed = ReadFeed(answer.body, answer.url);
    FeedCollection collection = MakeFeedCollection(feed, answer.url, fetched);
    return {std::move(collection.text), std::move(collection.links),
            feed.ttl.value_or(std::chrono::minutes(0))};
}

} // namespace zintra
