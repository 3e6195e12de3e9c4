#pragma once

#include "platform/FileChooser.h"

namespace zintra {

// The desktop's own file dialog where the platform theme or the desktop portal offers one, Qt's
// otherwise. Its path keeps a name that is not UTF-8 as PathText does.
class QtFileChooser final : public FileChooser {
public:
    std::optional<QString> Choose(QWidget* parent, const FileRequest& request) override;
};

} // namespace zintra
