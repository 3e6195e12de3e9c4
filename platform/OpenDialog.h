#pragma once

#include "platform/FileChooser.h"

#include <memory>

namespace zintra {

// The file-open chooser a window keeps: fixed title and filter, and the path confirmed last,
// which the next showing preselects. The path lives only as long as the program runs.
class OpenDialog {
public:
    OpenDialog(QString title, QString filter, std::unique_ptr<FileChooser> chooser);

    // Shows the chooser; true when a file was chosen, whose path FileName then holds.
    bool Execute(QWidget* parent);
    const QString& FileName() const { return fileName_; }

private:
    QString title_;
    QString filter_;
    std::unique_ptr<FileChooser> chooser_;
    QString fileName_;
};

} // namespace zintra
