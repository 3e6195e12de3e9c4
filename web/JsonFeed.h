#pragma once

#include "web/FeedReader.h"

#include <string_view>

namespace zintra {

// A JSON object whose "version" is a JSON Feed's.
bool IsJsonFeed(std::string_view body);

// Reads a JSON Feed 1.0 or 1.1 the way ReadFeed reads the XML formats.
Feed ReadJsonFeed(std::string_view body, const QUrl& address);

} // namespace zintra
