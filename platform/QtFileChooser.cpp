#include "platform/QtFileChooser.h"

#include "platform/Guard.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QPushButton>

namespace zintra {

std::optional<QString> QtFileChooser::Choose(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(request.filter);
    dialog.setSizeGripEnabled(true);
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
    std::optional<QString> fromWeb;
    if (request.fromWeb) {
        // Below the file type box, where Qt's own dialog has room for one more row.
        auto* button = new QPushButton(QStringLiteral("From the &Web..."), &dialog);
        button->setObjectName(QStringLiteral("fromWebButton"));
        button->setAutoDefault(false);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            grid->addWidget(button, grid->rowCount(), 0, 1, 2, Qt::AlignLeft);
        }
        QObject::connect(button, &QPushButton::clicked, &dialog, [&] {
            Guard([&] { fromWeb = request.fromWeb(&dialog); });
            if (fromWeb) {
                static_cast<QDialog&>(dialog).done(QDialog::Accepted);
            }
        });
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    if (fromWeb) {
        return fromWeb;
    }
    if (dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace zintra
