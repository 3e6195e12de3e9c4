#include "platform/DisplayText.h"

#include "core/Characters.h"

#include <array>

namespace zintra {

namespace {

// Windows-1252 for 0x80 to 0x9F; the five bytes it leaves undefined keep their C1 code points.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar Windows1252(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        return QChar(kHighControls[byte - 0x80]);
    }
    return QChar(byte);
}

} // namespace

QString DisplayText(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const std::size_t size = CharSize(p, end);
        if (size == 1) {
            text += Windows1252(static_cast<unsigned char>(*p));
        } else {
            text += QString::fromUtf8(p, static_cast<qsizetype>(size));
        }
        p += size;
    }
    return text;
}

} // namespace zintra
