#pragma once

#include <QString>
#include <QUrl>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zintra {

// How a copy was fetched: its address and the validators the server gave, which make the
// next fetch conditional.
struct CopyRecord {
    QUrl url;
    std::string etag;
    std::string lastModified;
};

// A list of collections as it was fetched last: its address and the collections it named.
struct SavedList {
    QUrl url;
    std::vector<QUrl> entries;
};

// The folder "web" beside config.ini, where copies of web files live: the copy of
// http://HOST[:PORT]/PATH is web/HOST[_PORT]/PATH, of https://HOST[:PORT]/PATH
// web/HOST_https[_PORT]/PATH, with each part of the path percent-decoded and "%" and "?" in it
// escaped. A name ending in ".zin" is a file's; any other file name (and a query, which goes into
// the file name after "?") ends in a bare "%", and so does a folder name ending in ".zin": one
// address maps to one file, and no two addresses to the same one. Host names and path segments
// are checked, so nothing from the network names a path outside the folder. Beside the hosts'
// folders (whose names are lower-case host names) it keeps "_records", a record of each copy in
// the same tree, and "_last-list.txt".
class WebFolder {
public:
    explicit WebFolder(QString root);
    // The web folder beside the settings file at `settingsPath`.
    static WebFolder BesideSettings(const std::string& settingsPath);

    const QString& Root() const { return root_; }

    // Where the copy of `url` lives. Raises EWebFailure when the address cannot name a file
    // inside the folder (no web address, a folder's address, an odd host name, an empty, "." or
    // ".." segment, a byte a file name cannot hold, a name too long).
    QString CopyPath(const QUrl& url) const;

    // Puts the fetched `body` in place of the copy of record.url, whole or not at all, and keeps
    // the record; gives whether the copy changed. A body equal to the copy leaves the copy as it
    // is. Raises EWebFailure or EFCreateError when the files cannot be written.
    bool Keep(const CopyRecord& record, std::string_view body) const;

    // The record of the copy at `path`, when it is a copy of this folder.
    std::optional<CopyRecord> RecordOf(const QString& path) const;

    // The list kept last, without the entries that can name no collection.
    SavedList LastList() const;
    void SaveLastList(const SavedList& list) const { SaveLastList(ListText(list)); }
    // The text SaveLastList writes, made apart (on another thread, for a long list).
    static std::string ListText(const SavedList& list);
    void SaveLastList(const std::string& text) const;

private:
    // web/HOST[_PORT]/SEGMENTS, relative to the folder.
    QString RelativePath(const QUrl& url) const;
    QString RecordPath(const QString& relative) const;

    QString root_;
};

} // namespace zintra
