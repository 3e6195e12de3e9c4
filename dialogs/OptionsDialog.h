#pragma once

#include "platform/Dialog.h"

#include <cstdint>

class QLabel;
class QPushButton;
class QSlider;

namespace zintra {

// The slider's ends, "Slow" and "Fast". A position stands for the scroll interval
// kFastest + 1 - position milliseconds.
inline constexpr int kSlowest = 50;
inline constexpr int kFastest = 350;

// The scroll interval a slider position stands for.
constexpr int IntervalOfPosition(int position) {
    return kFastest + 1 - position;
}
// The slider position that stands for a scroll interval, clamped to the slider's range;
// computed wide, so that no stored interval overflows.
int PositionOfInterval(std::int32_t interval);

// The options dialog: a slider from "Slow" to "Fast" for the message bar's speed.
// It carries only its controls; the command that shows it sets and reads TrackBar1.
class TForm2 : public Dialog {
public:
    explicit TForm2(QWidget* owner = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QSlider* TrackBar1;
    QPushButton* Button1;
    QPushButton* Button2;
};

// The start-up instance, never shown: the main window keeps its own options dialog.
inline TForm2* Form2 = nullptr;

} // namespace zintra
