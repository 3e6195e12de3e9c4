#include "HelpForm.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace zintra {

namespace {

QString HelpText() {
    QFile file(QStringLiteral(":/dialogs/Help.html"));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
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
    show();
    raise();
    activateWindow();
}

} // namespace zintra
