#include "app/BarLinks.h"

#include "core/Characters.h"
#include "platform/DisplayText.h"
#include "platform/StaticText.h"
#include "web/FeedLinks.h"

#include <QDesktopServices>
#include <QFile>
#include <QTextLayout>

namespace zintra {

namespace {

// The character of `shown` (counted from 0) that the label draws at `x`: the label drops each
// "&" that marks a mnemonic and shows "&&" as one "&".
std::optional<std::int32_t> ColumnAt(const StaticText& label, std::string_view shown, int x) {
    QString drawn;
    std::vector<std::int32_t> columns;
    bool marked = false;
    std::int32_t column = 0;
    for (const char *p = shown.data(), *end = p + shown.size(); p < end; ++column) {
        const std::string_view character(p, CharSize(p, end));
        p += character.size();
        if (character == "&" && !marked) {
            marked = true;
            continue;
        }
        marked = false;
        const QString piece = DisplayText(character);
        drawn += piece;
        columns.insert(columns.end(), static_cast<std::size_t>(piece.size()), column);
    }
    QTextLayout layout(drawn, label.font());
    QTextOption option;
    option.setTextDirection(label.layoutDirection());
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    const int into = x - label.contentsRect().left();
    if (!line.isValid() || into < 0 || into >= line.naturalTextWidth()) {
        return std::nullopt;
    }
    const int index = line.xToCursor(into, QTextLine::CursorOnCharacter);
    if (index < 0 || index >= drawn.size()) {
        return std::nullopt;
    }
    return columns[static_cast<std::size_t>(index)];
}

bool Openable(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QStringLiteral("http") || scheme == QStringLiteral("https"));
}

} // namespace

void BarLinks::Load(const WebFolder& folder, const std::string& path) {
    links_ = FeedLinks(folder).Of(QFile::decodeName(QByteArray::fromStdString(path)));
}

std::optional<QUrl> BarLinks::LinkAt(const MessageBar& bar, const StaticText& text,
                                     QPoint pos) const {
    if (links_.empty() || bar.ShownPos() == 0) {
        return std::nullopt;
    }
    const std::optional<std::int32_t> column = ColumnAt(text, bar.ShownText(), pos.x());
    if (!column) {
        return std::nullopt;
    }
    const std::optional<std::int32_t> line = bar.LineAt(bar.ShownPos() + *column);
    if (!line || static_cast<std::size_t>(*line) >= links_.size() ||
        !Openable(links_[static_cast<std::size_t>(*line)])) {
        return std::nullopt;
    }
    return links_[static_cast<std::size_t>(*line)];
}

bool BarLinks::OpenAt(const MessageBar& bar, const StaticText& text, QPoint pos) const {
    const std::optional<QUrl> link = LinkAt(bar, text, pos);
    return link && QDesktopServices::openUrl(*link);
}

} // namespace zintra
