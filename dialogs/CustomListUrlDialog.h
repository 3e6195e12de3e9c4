#pragma once

#include "platform/Dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace zintra {

class Bevel;

// The custom list URL dialog: one edit box for the URL the list of collections comes from.
// Its result is mrOk for "&OK" and mrCancel for "&Cancel", Escape and the close box.
class TForm6 : public Dialog {
public:
    explicit TForm6(QWidget* owner = nullptr);

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;
    Bevel* Bevel1;
};

// The start-up instance.
inline TForm6* Form6 = nullptr;

} // namespace zintra
