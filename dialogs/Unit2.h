#pragma once

#include "Dialog.h"

class QLabel;
class QPushButton;
class QSlider;

namespace zintra {

// The options dialog: a slider from "Slow" (50) to "Fast" (350) for the message bar's speed.
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
