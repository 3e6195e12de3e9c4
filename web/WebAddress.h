#pragma once

#include <QString>
#include <QUrl>
#include <string>

namespace zintra {

// An address as messages and files show it: never with its user name or password.
std::string AddressText(const QUrl& url);

// Raises EWebFailure, naming the address, unless it is an http: or https: address with a host
// and without a user name or password (which would end up in files and messages).
void RequireWebAddress(const QUrl& url);

// An address a user typed or dropped, read as a browser reads it: blanks around it are dropped,
// "http:/host/x" with one slash (or none, or three) is http://host/x, and one without a scheme
// ("127.0.0.1:18002/a.zin", "example.org/list") is taken as http://. Raises EWebFailure as
// RequireWebAddress does, and for any other scheme.
QUrl ReadAddress(const QString& text);

// True for a text that names an address rather than a file: it begins "http:" or "https:", or
// with any scheme followed by "://".
bool ReadsAsAddress(const QString& text);

// An address that may name a collection: a web address (as RequireWebAddress has it) of a file,
// not of a folder.
bool IsCollectionAddress(const QUrl& url);

} // namespace zintra
