#include "platform/PathText.h"

#include "core/Characters.h"

#include <QUrl>

namespace zintra {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscapedByte(const QString& text, qsizetype i) {
    const char16_t unit = text[i].unicode();
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF &&
           (i == 0 || !text[i - 1].isHighSurrogate());
}

} // namespace

QString PathText(std::string_view bytes) {
    QString text;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const std::size_t size = CharSize(p, end);
        const auto lead = static_cast<unsigned char>(*p);
        if (size == 1 && lead >= 0x80) {
            text += QChar(static_cast<char16_t>(kEscapeBase + lead));
        } else {
            text += QString::fromUtf8(p, static_cast<qsizetype>(size));
        }
        p += size;
    }
    return text;
}

std::string PathBytes(const QString& text) {
    std::string bytes;
    qsizetype run = 0;
    const auto flush = [&](qsizetype upTo) {
        bytes += text.mid(run, upTo - run).toStdString();
        run = upTo + 1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsEscapedByte(text, i)) {
            flush(i);
            bytes += static_cast<char>(text[i].unicode() - kEscapeBase);
        }
    }
    flush(text.size());
    return bytes;
}

std::string LocalPathBytes(const QUrl& url) {
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

} // namespace zintra
