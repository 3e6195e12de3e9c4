#include "web/JsonFeed.h"

#include "web/FeedText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zintra {

namespace {

QJsonObject Object(std::string_view body) {
    const QByteArray bytes =
        QByteArray::fromRawData(body.data(), static_cast<qsizetype>(body.size()));
    return QJsonDocument::fromJson(bytes).object();
}

bool HasJsonFeedVersion(const QJsonObject& object) {
    return object.value(QStringLiteral("version"))
        .toString()
        .startsWith(QStringLiteral("https://jsonfeed.org/version/"));
}

std::string Headline(const QJsonValue& value, bool markup) {
    return PlainHeadline(value.toString().toStdString(), markup);
}

} // namespace

bool IsJsonFeed(std::string_view body) {
    return HasJsonFeedVersion(Object(body));
}

Feed ReadJsonFeed(std::string_view body, const QUrl& address) {
    const QJsonObject object = Object(body);
    if (!HasJsonFeedVersion(object)) {
        throw EFeedError("This is no feed: the JSON document has no JSON Feed version");
    }
    Feed feed;
    feed.title = Headline(object.value(QStringLiteral("title")), false);
    feed.link = WebLink(address, object.value(QStringLiteral("home_page_url")).toString());
    for (const QJsonValue& value : object.value(QStringLiteral("items")).toArray()) {
        const QJsonObject item = value.toObject();
        std::string title = Headline(item.value(QStringLiteral("title")), false);
        if (title.empty()) {
            title = Headline(item.value(QStringLiteral("summary")), false);
        }
        if (title.empty()) {
            title = Headline(item.value(QStringLiteral("content_html")), true);
        }
        if (title.empty()) {
            continue;
        }
        feed.items.push_back(
            {std::move(title), WebLink(address, item.value(QStringLiteral("url")).toString())});
        if (feed.items.size() == kFeedItemLimit) {
            break;
        }
    }
    if (feed.items.empty()) {
        throw EFeedError("The feed has no stories");
    }
    return feed;
}

} // namespace zintra
