#include "platform/OpenDialog.h"

namespace zintra {

OpenDialog::OpenDialog(QString title, QString filter, std::unique_ptr<FileChooser> chooser)
    : title_(std::move(title)), filter_(std::move(filter)), chooser_(std::move(chooser)) {}

bool OpenDialog::Execute(QWidget* parent) {
    const std::optional<QString> chosen = chooser_->Choose(parent, {title_, filter_, fileName_});
    if (!chosen) {
        return false;
    }
    fileName_ = *chosen;
    return true;
}

} // namespace zintra
