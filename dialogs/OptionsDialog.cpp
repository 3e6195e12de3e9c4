#include "dialogs/OptionsDialog.h"

#include "dialogs/Controls.h"
#include "platform/WindowStyle.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <tuple>

namespace zintra {

int PositionOfInterval(std::int32_t interval) {
    return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{IntervalOfPosition(0)} - interval,
                                                     kSlowest, kFastest));
}

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
    TrackBar1->setRange(kSlowest, kFastest);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(100);
    TrackBar1->setValue(kSlowest);

    std::tie(Button1, Button2) = MakeOkCancelButtons(this, {104, 80, 75, 25}, {184, 80, 75, 25});

    setTabOrder(TrackBar1, Button1);
    setTabOrder(Button1, Button2);
    TrackBar1->setFocus();
}

} // namespace zintra
