#pragma once

#include "web/WebFolder.h"

#include <QString>
#include <QUrl>
#include <chrono>
#include <string_view>
#include <vector>

namespace zintra {

// The links of a copy's lines (a feed's stories) live in the web folder under "_links", in the
// same tree as the copies: one address a line, after a first line that names the text they
// belong to (so links kept for another text of the copy are never used for this one) and how
// long the feed asked to be left alone.
class FeedLinks {
public:
    explicit FeedLinks(WebFolder folder) : folder_(std::move(folder)) {}

    // Keeps `links` for the copy at `copyPath`, whose text is `collection`; none removes them.
    void Keep(const QString& copyPath, std::string_view collection, const std::vector<QUrl>& links,
              std::chrono::seconds freshFor = {}) const;
    // The links of the file at `path`, by line, when they were kept for the text it holds now;
    // otherwise none.
    std::vector<QUrl> Of(const QString& path) const;
    // How long the feed whose copy is at `path` asked to be left alone; 0 when it did not.
    std::chrono::seconds FreshFor(const QString& path) const;

private:
    // Where the links of the copy at `copyPath` are kept; empty for a file that is no copy.
    QString PathOf(const QString& copyPath) const;
    QList<QByteArray> Lines(const QString& copyPath) const;

    WebFolder folder_;
};

} // namespace zintra
