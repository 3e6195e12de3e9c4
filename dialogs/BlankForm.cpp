#include "dialogs/BlankForm.h"

#include "dialogs/Controls.h"

namespace zintra {

TForm3::TForm3(QWidget* owner) : QWidget(owner) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Form3"));
    UseSizeableWindow(*this, {192, 121}, {414, 296});
}

} // namespace zintra
