#pragma once

#include <QSize>

class QWidget;

namespace zintra {

// A window with a single fixed border and a client area of exactly `clientSize`: its title bar
// has the system menu and the close box only, without minimise or maximise boxes.
void UseFixedSingleBorder(QWidget& window, QSize clientSize);

} // namespace zintra
