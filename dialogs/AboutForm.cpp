#include "dialogs/AboutForm.h"

#include "dialogs/Controls.h"

#include <QPushButton>
#include <QTextEdit>

namespace zintra {

namespace {

const char* const kAboutText = "<p align=center><b>Zintra</b></p>"
                               "<p align=center>Version 1.00</p>"
                               "<p align=center>A desktop ticker: quotations or jokes from a "
                               "collection file, scrolling through one narrow line.</p>";

} // namespace

TForm4::TForm4(QWidget* owner) : Dialog(owner) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("About Zintra"));
    UseSizeableWindow(*this, {192, 121}, {193, 270});

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(0, 0, 185, 201);
    RichEdit1->setHtml(QString::fromUtf8(kAboutText));
    RichEdit1->setReadOnly(true);
    RichEdit1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Button1 = MakeButton(this, "Button1", QStringLiteral("&OK"), {55, 208, 75, 25});
    // The default button: Enter closes the window, from the read-only text too. Escape does as
    // well, as in any dialog.
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(RichEdit1, Button1);
    RichEdit1->setFocus();
}

} // namespace zintra
