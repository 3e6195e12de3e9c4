#pragma once

#include "platform/FileChooser.h"

namespace zintra {

// The chooser on screen: Qt's own file dialog, the same on every desktop. It refuses folders
// and files that do not exist, hides no extra boxes and can be resized.
class QtFileChooser final : public FileChooser {
public:
    std::optional<QString> Choose(QWidget* parent, const FileRequest& request) override;
};

} // namespace zintra
