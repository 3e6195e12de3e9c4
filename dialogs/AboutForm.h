#pragma once

#include "platform/Dialog.h"

class QPushButton;
class QTextEdit;

namespace zintra {

// The About window: the program's name, version and what it is, read-only; "&OK" closes it.
class TForm4 : public Dialog {
public:
    explicit TForm4(QWidget* owner = nullptr);

    QTextEdit* RichEdit1;
    QPushButton* Button1;
};

// The start-up instance, which "&About..." shows.
inline TForm4* Form4 = nullptr;

} // namespace zintra
