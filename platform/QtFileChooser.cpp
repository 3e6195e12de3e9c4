#include "platform/QtFileChooser.h"

#include "platform/ChooserDialog.h"
#include "platform/PathText.h"

namespace zintra {

std::optional<QString> QtFileChooser::Choose(QWidget* parent, const FileRequest& request) {
    ChooserDialog dialog(parent, request);
    if (dialog.exec() != QDialog::Accepted || !dialog.Chosen()) {
        return std::nullopt;
    }
    return PathText(*dialog.Chosen());
}

} // namespace zintra
