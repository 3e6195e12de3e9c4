#pragma once

#include "platform/FileChooser.h"

namespace zintra {

// The chooser on screen, the same on every desktop. Its path keeps a name that is not UTF-8 as
// PathText does.
class QtFileChooser final : public FileChooser {
public:
    std::optional<QString> Choose(QWidget* parent, const FileRequest& request) override;
};

} // namespace zintra
