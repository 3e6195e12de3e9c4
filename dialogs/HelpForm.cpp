#include "dialogs/HelpForm.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

namespace zintra {

namespace {

// Compiled into the program, so it is always there to read.
QString HelpText() {
    QFile file(QStringLiteral(":/dialogs/Help.html"));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

// Below the owner's frame, or above it where the screen ends below; always on the screen.
QPoint BesideOwner(QSize size, const QWidget& owner) {
    const QRect ownerFrame = owner.frameGeometry();
    const QRect screen = owner.screen()->availableGeometry();
    int top = ownerFrame.bottom() + 1;
    if (top + size.height() > screen.bottom() + 1) {
        top = ownerFrame.top() - size.height();
    }
    const int left = std::min(ownerFrame.left(), screen.right() + 1 - size.width());
    return {std::max(left, screen.left()), std::max(top, screen.top())};
}

} // namespace

THelpForm::THelpForm(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Zintra Help"));
    setWindowFlags(Qt::Window);
    setSizeGripEnabled(true);
    resize(460, 420);

    RichEdit1 = new QTextBrowser(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setOpenLinks(false);
    RichEdit1->setHtml(HelpText());

    Button1 = new QPushButton(QStringLiteral("&Close"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    connect(Button1, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RichEdit1);
    layout->addLayout(buttons);
}

void THelpForm::Present() {
    if (!placed_ && parentWidget() != nullptr) {
        move(BesideOwner(size(), *parentWidget()->window()));
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

} // namespace zintra
