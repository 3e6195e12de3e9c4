#pragma once

#include "web/HttpGet.h"

#include <QDateTime>
#include <QUrl>
#include <chrono>
#include <string>
#include <vector>

namespace zintra {

// What the copy of a fetched document holds: a feed becomes its collection, with the links of
// its lines and the time the feed asks to be left alone (its ttl, or its Cache-Control max-age
// when longer); anything else is kept as it came.
struct CopyText {
    std::string text;
    std::vector<QUrl> links;
    std::chrono::seconds freshFor{0};
};

// Raises EFeedError for a feed that cannot be shown, so that it replaces nothing.
CopyText CopyTextOf(const HttpAnswer& answer, const QDateTime& fetched);

} // namespace zintra
