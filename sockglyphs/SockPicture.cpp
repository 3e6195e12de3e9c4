#include "sockglyphs/SockPicture.h"

#include "sock/Sock.h"

#include <QPainter>

namespace zintra {

QImage SockPicture(const TSock& sock) {
    const QLatin1String name(sock.GlyphName());
    if (name.isEmpty()) {
        return {};
    }
    return QImage(QStringLiteral(":/sock/") + name + QStringLiteral(".xpm"));
}

void PaintSock(QPainter& canvas, const TSock& sock) {
    if (sock.ComponentState().Designing) {
        canvas.drawImage(0, 0, SockPicture(sock));
    }
}

} // namespace zintra
