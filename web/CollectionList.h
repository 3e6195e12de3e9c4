#pragma once

#include <QString>
#include <QUrl>
#include <string_view>
#include <vector>

namespace zintra {

// The collections a list fetched from `listUrl` names, in its order and without repeats. A
// list is either an HTML page (by its Content-Type, or, without one, a body that opens with
// "<"), where every link whose path ends in ".zin" names one, or text, where every line that is
// not empty and does not begin with "#" names one. Relative names are taken relative to the
// list's address; names that make no address are skipped.
std::vector<QUrl> ReadCollectionList(const QUrl& listUrl, std::string_view body,
                                     std::string_view contentType);

// What the list box shows for a collection: its file name, decoded.
QString CollectionName(const QUrl& url);

} // namespace zintra
