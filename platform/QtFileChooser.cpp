#include "platform/QtFileChooser.h"

#include "platform/PathText.h"

#include <QFileDialog>
#include <QFileInfo>

namespace zintra {

std::optional<QString> QtFileChooser::Choose(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, request.title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(request.filter);
    if (!request.fileName.isEmpty()) {
        const QFileInfo preselected(request.fileName);
        dialog.setDirectory(preselected.absolutePath());
        dialog.selectFile(preselected.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    // Qt decodes names through the locale; the bytes on disk are what config.ini must keep.
    return PathText(QFile::encodeName(dialog.selectedFiles().front()).toStdString());
}

} // namespace zintra
