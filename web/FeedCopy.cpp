#include "web/FeedCopy.h"

#include "web/FeedCollection.h"

#include <QRegularExpression>
#include <algorithm>

namespace zintra {

namespace {

// The max-age a Cache-Control header gives, or 0.
std::chrono::seconds MaxAge(const std::string& cacheControl) {
    static const QRegularExpression maxAge(
        QStringLiteral("(?:^|[,\\s])max-age\\s*=\\s*\"?(\\d{1,9})"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = maxAge.match(QString::fromStdString(cacheControl));
    return std::chrono::seconds(match.hasMatch() ? match.captured(1).toLongLong() : 0);
}

} // namespace

CopyText CopyTextOf(const HttpAnswer& answer, const QDateTime& fetched) {
    if (!IsFeed(answer.body, answer.contentType)) {
        return {answer.body, {}, {}};
    }
    const Feed feed = ReadFeed(answer.body, answer.url);
    FeedCollection collection = MakeFeedCollection(feed, answer.url, fetched);
    const std::chrono::seconds ttl = feed.ttl.value_or(std::chrono::minutes(0));
    return {std::move(collection.text), std::move(collection.links),
            std::max(ttl, MaxAge(answer.cacheControl))};
}

} // namespace zintra
