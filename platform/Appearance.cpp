#include "platform/Appearance.h"

#include <QApplication>
#include <QFont>

namespace zintra {

void UseWindowAppearance() {
    const QString family = QStringLiteral("MS Sans Serif");
    QFont::insertSubstitutions(
        family, {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
                 QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    QFont font(family);
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
    // Qt's standard palette already paints windows in the button-face colour.
}

} // namespace zintra
