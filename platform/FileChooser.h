#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace zintra {

// Another way to a file, offered by the chooser as a button: over the chooser (its argument),
// it gives the full path of a file, or nothing when the user gave up.
using FileSource = std::function<std::optional<QString>(QWidget* chooser)>;

// What a file-open chooser is asked: its title, its single filter ("Name (*.ext)"), the file
// shown preselected (empty for none) and, when it is set, the "From the &Web..." button's source,
// whose file the chooser returns as if it had been chosen.
struct FileRequest {
    QString title;
    QString filter;
    QString fileName;
    FileSource fromWeb = {};
};

// Asks the user for one existing file. Tests answer it themselves.
class FileChooser {
public:
    virtual ~FileChooser() = default;

    // The full path of the chosen file, or nothing when the chooser was cancelled.
    virtual std::optional<QString> Choose(QWidget* parent, const FileRequest& request) = 0;
};

} // namespace zintra
