#pragma once

#include "web/WebFolder.h"

#include <QString>
#include <QUrl>
#include <string_view>
#include <vector>

namespace zintra {

// The links of a copy's lines (a feed's stories) live in the web folder under "_links", in the
// same tree as the copies: one address a line, after a first line that names the text they
// belong to, so links kept for another text of the copy are never used for this one.
class FeedLinks {
public:
    explicit FeedLinks(WebFolder folder) : folder_(std::move(folder)) {}

    // Keeps `links` for the copy at `copyPath`, whose text is `collection`; none removes them.
    void Keep(const QString& copyPath, std::string_view collection,
              const std::vector<QUrl>& links) const;
    // The links of the file at `path`, by line, when they were kept for the text it holds now;
    // otherwise none.
    std::vector<QUrl> Of(const QString& path) const;

private:
    // Where the links of the copy at `copyPath` are kept; empty for a file that is no copy.
    QString PathOf(const QString& copyPath) const;

    WebFolder folder_;
};

} // namespace zintra
