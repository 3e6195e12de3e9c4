#include "Unit2.h"

#include "Controls.h"
#include "WindowStyle.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace zintra {

TForm2::TForm2(QWidget* owner) : Dialog(owner) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Zintra Options"));
    UseFixedSingleBorder(*this, {265, 113});

    Label1 = MakeLabel(this, "Label1", QStringLiteral("Messagebar speed:"), {40, 8, 93, 13});
    Label2 = MakeLabel(this, "Label2", QStringLiteral("Slow"), {8, 40, 23, 13});
    Label3 = MakeLabel(this, "Label3", QStringLiteral("Fast"), {232, 40, 20, 13});

    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setGeometry(48, 32, 169, 40);
    TrackBar1->setRange(50, 350);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(100);
    TrackBar1->setValue(50);

    Button1 = MakeButton(this, "Button1", QStringLiteral("&OK"), {104, 80, 75, 25});
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    // Escape and the close box reject the dialog as well, like this button.
    Button2 = MakeButton(this, "Button2", QStringLiteral("&Cancel"), {184, 80, 75, 25});
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(TrackBar1, Button1);
    setTabOrder(Button1, Button2);
    TrackBar1->setFocus();
}

} // namespace zintra
