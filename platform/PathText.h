#pragma once

#include <QString>
#include <string>
#include <string_view>

class QUrl;

namespace zintra {

// File names are bytes. A path's text is its UTF-8 read as such, with every byte outside valid
// UTF-8 kept as the lone surrogate U+DC80 to U+DCFF, so that any name goes from bytes to text
// and back unchanged.
QString PathText(std::string_view bytes);
std::string PathBytes(const QString& text);

// The bytes of a local file URL's path, its percent escapes undone byte by byte.
std::string LocalPathBytes(const QUrl& url);

} // namespace zintra
