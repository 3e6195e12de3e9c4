#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace zintra {

// What a file-open chooser is asked: its title, its single filter ("Name (*.ext)") and the file
// shown preselected (empty for none).
struct FileRequest {
    QString title;
    QString filter;
    QString fileName;
};

// Asks the user for one existing file. Tests answer it themselves.
class FileChooser {
public:
    virtual ~FileChooser() = default;

    // The full path of the chosen file, or nothing when the chooser was cancelled.
    virtual std::optional<QString> Choose(QWidget* parent, const FileRequest& request) = 0;
};

} // namespace zintra
