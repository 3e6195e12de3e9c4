#include "platform/Dialog.h"

namespace zintra {

Dialog::Dialog(QWidget* owner) : QDialog(owner) {}

int Dialog::ShowModal() {
    return exec() == QDialog::Accepted ? mrOk : mrCancel;
}

} // namespace zintra
