#include "dialogs/Bevel.h"

#include <QPainter>

namespace zintra {

Bevel::Bevel(Edge edge, QWidget* parent) : QWidget(parent), edge_(edge) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Bevel::paintEvent(QPaintEvent*) {
    // A lowered line: the shadow, and the highlight just below or right of it.
    QPainter painter(this);
    const QRect area = rect();
    if (edge_ == Edge::Top) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(area.left(), 0, area.right(), 0);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(area.left(), 1, area.right(), 1);
    } else {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(0, area.top(), 0, area.bottom());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(1, area.top(), 1, area.bottom());
    }
}

} // namespace zintra
