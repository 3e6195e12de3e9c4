#pragma once

#include "platform/FileChooser.h"

#include <QDialog>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace zintra {

// The file-open chooser's window. It lists a folder from its names as bytes, so a name that is
// not UTF-8 is listed, shown as the message bar would show it, and chosen as it is. It shows the
// title and the single filter asked for, refuses files and folders that do not exist, and can be
// resized.
class ChooserDialog : public QDialog {
public:
    ChooserDialog(QWidget* parent, const FileRequest& request);

    // The full path of the chosen file, as bytes, once the dialog was accepted.
    const std::optional<std::string>& Chosen() const { return chosen_; }

private:
    void ShowFolder(const std::string& folder);
    void Pick(const QListWidgetItem* item);
    // Opens what the name box names: a folder is entered, an existing file chosen.
    void Confirm();

    QLabel* folderLabel_;
    QListWidget* list_;
    QLineEdit* name_;
    QComboBox* type_;
    std::string pattern_;
    std::string folder_;
    // The listed name picked last, until the name box is edited by hand.
    std::string picked_;
    std::optional<std::string> chosen_;
};

} // namespace zintra
