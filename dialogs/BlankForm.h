#pragma once

#include <QWidget>

namespace zintra {

// The blank form: no controls and no operations.
class TForm3 : public QWidget {
public:
    explicit TForm3(QWidget* owner = nullptr);
};

// The start-up instance.
inline TForm3* Form3 = nullptr;

} // namespace zintra
