#pragma once

#include "core/MessageBar.h"

#include <QPoint>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

namespace zintra {

class StaticText;
class WebFolder;

// The links of the collection the bar shows (a feed's stories), and the left click that opens
// the one under the pointer in the user's browser. Only http: and https: links are opened.
class BarLinks {
public:
    // Takes the links kept in `folder` for the collection at `path`, which the bar now shows.
    void Load(const WebFolder& folder, const std::string& path);
    void Clear() { links_.clear(); }

    // The link of the line whose text is at `pos` in `text` (the bar's label), if any.
    std::optional<QUrl> LinkAt(const MessageBar& bar, const StaticText& text, QPoint pos) const;
    // Opens that link; false when there is none.
    bool OpenAt(const MessageBar& bar, const StaticText& text, QPoint pos) const;

private:
    std::vector<QUrl> links_;
};

} // namespace zintra
