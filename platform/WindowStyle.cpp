#include "platform/WindowStyle.h"

#include <QWidget>

namespace zintra {

void UseFixedSingleBorder(QWidget& window, QSize clientSize) {
    const Qt::WindowFlags type = window.windowType() == Qt::Dialog ? Qt::Dialog : Qt::Window;
    window.setWindowFlags(type | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    window.setFixedSize(clientSize);
}

} // namespace zintra
