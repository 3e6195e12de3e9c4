#pragma once

#include <QDialog>

namespace zintra {

// How a modal dialog was closed.
enum ModalResult : int { mrOk = 1, mrCancel = 2 };

// A modal dialog that reports mrOk when accepted, and mrCancel for its cancel button, Escape
// and the close box.
class Dialog : public QDialog {
public:
    explicit Dialog(QWidget* owner);

    int ShowModal();
};

} // namespace zintra
