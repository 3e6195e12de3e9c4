#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace zintra {

class Bevel;

// The form for the URL of a single collection; all its controls are hidden.
class TForm7 : public QWidget {
public:
    explicit TForm7(QWidget* owner = nullptr);

    QLabel* Label3;
    Bevel* Bevel3;
    QLineEdit* Edit2;
};

// The start-up instance.
inline TForm7* Form7 = nullptr;

} // namespace zintra
