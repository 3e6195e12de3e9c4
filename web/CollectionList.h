#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <string_view>
#include <vector>

namespace zintra {

// The collections a list fetched from `listUrl` names, in its order and each once, in time
// linear in the list's length. A list is either an HTML page (a web page, or, without a
// Content-Type, a body that opens with "<"), where every link whose path ends in ".zin" names
// one, or text, where every line that is not empty and does not begin with "#" names one.
// Relative names are taken relative to the list's address; names that make no address of a file
// over http: or https: (folders, ftp:, file:, addresses with a password) are skipped.
std::vector<QUrl> ReadCollectionList(const QUrl& listUrl, std::string_view body,
                                     std::string_view contentType);

// True for an answer that is a web page: sent as text/html or XHTML, or whose bytes begin as an
// HTML document does.
bool IsWebPage(std::string_view body, std::string_view contentType);

// What the list box shows for a collection: its file name, decoded.
QString CollectionName(const QUrl& url);
// The names of `urls` in their order; a name that several share is followed by the rest of its
// address, so that each reads differently.
QStringList CollectionNames(const std::vector<QUrl>& urls);

} // namespace zintra
