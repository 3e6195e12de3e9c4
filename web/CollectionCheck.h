#pragma once

#include <QUrl>
#include <string_view>

namespace zintra {

// Raises an exception whose text says why, unless `body`, fetched from `url` with
// `contentType`, is a collection the bar can show: no web page (a list of collections, or a
// network's sign-in page), and it loads as the bar loads a collection file.
void CheckCollection(const QUrl& url, std::string_view body, std::string_view contentType);

} // namespace zintra
