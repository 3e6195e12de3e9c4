#include "sockglyphs/SockPicture.h"

#include "sock/Sock.h"

#include <QPainter>
#include <QSet>
#include <gtest/gtest.h>

namespace zintra {

namespace {

QImage Resource(const char* name) {
    return QImage(QStringLiteral(":/sock/%1.xpm").arg(QLatin1String(name)));
}

} // namespace

TEST(SockPicture, EachKindIsPaintedInDesignModeOnly) {
    QObject form;
    TComponent::SetDesigning(&form, true);
    TSock sock(&form);
    for (const auto& [type, listen, name] : {std::tuple{stStream, false, "TCP"},
                                             {stDatagram, false, "UDP"},
                                             {stStream, true, "LISTEN"}}) {
        sock.SetSocketType(type);
        sock.SetListen(listen);
        const QImage picture = SockPicture(sock);
        EXPECT_EQ(picture, Resource(name)) << name;
        EXPECT_EQ(picture.size(), QSize(TSock::GlyphSize, TSock::GlyphSize)) << name;
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                colours.insert(picture.pixel(x, y));
            }
        }
        EXPECT_LE(colours.size(), 16) << name;

        QImage canvas(TSock::GlyphSize, TSock::GlyphSize, QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        PaintSock(painter, sock);
        painter.end();
        EXPECT_EQ(canvas.convertToFormat(QImage::Format_RGB32),
                  picture.convertToFormat(QImage::Format_RGB32))
            << name;
    }

    TSock running(nullptr);
    EXPECT_TRUE(SockPicture(running).isNull());
    QImage canvas(TSock::GlyphSize, TSock::GlyphSize, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    PaintSock(painter, running);
    painter.end();
    EXPECT_EQ(canvas.pixel(14, 14), QColor(Qt::transparent).rgba());
}

} // namespace zintra
