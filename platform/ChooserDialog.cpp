#include "platform/ChooserDialog.h"

#include "platform/DisplayText.h"
#include "platform/Guard.h"
#include "platform/PathText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fnmatch.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zintra {

namespace {

constexpr int kNameRole = Qt::UserRole;

std::string CurrentFolder() {
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) != nullptr ? folder : "/";
}

// The folder's full path with links and "." and ".." resolved, or nothing.
std::optional<std::string> RealFolder(const std::string& path) {
    struct Freer {
        void operator()(char* p) const { std::free(p); }
    };
    const std::unique_ptr<char, Freer> real(realpath(path.c_str(), nullptr));
    struct stat status {};
    if (!real || stat(real.get(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        return std::nullopt;
    }
    return std::string(real.get());
}

std::string Joined(const std::string& folder, const std::string& name) {
    if (name.starts_with('/')) {
        return name;
    }
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

// "Zintra Source Files (*.zin)" gives "*.zin".
std::string PatternOf(const QString& filter) {
    const qsizetype open = filter.lastIndexOf('(');
    const qsizetype close = filter.lastIndexOf(')');
    if (open < 0 || close < open) {
        return "*";
    }
    return filter.mid(open + 1, close - open - 1).trimmed().toStdString();
}

struct Entry {
    std::string name;
    bool folder;
};

// The folder's subfolders, then its files that match `pattern`, each in byte order. Hidden
// names are left out; ".." leads up.
std::vector<Entry> Entries(const std::string& folder, const std::string& pattern) {
    std::vector<Entry> entries;
    struct Closer {
        void operator()(DIR* d) const { closedir(d); }
    };
    const std::unique_ptr<DIR, Closer> listing(opendir(folder.c_str()));
    if (!listing) {
        return entries;
    }
    while (const dirent* entry = readdir(listing.get())) {
        const std::string name = entry->d_name;
        if (name.starts_with('.') && (name != ".." || folder == "/")) {
            continue;
        }
        struct stat status {};
        const bool isFolder =
            stat(Joined(folder, name).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
        if (isFolder || fnmatch(pattern.c_str(), name.c_str(), 0) == 0) {
            entries.push_back({name, isFolder});
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.folder != b.folder ? a.folder : a.name < b.name;
    });
    return entries;
}

} // namespace

ChooserDialog::ChooserDialog(QWidget* parent, const FileRequest& request)
    : QDialog(parent), folderLabel_(new QLabel(this)), list_(new QListWidget(this)),
      name_(new QLineEdit(this)), type_(new QComboBox(this)), pattern_(PatternOf(request.filter)) {
    setWindowTitle(request.title);
    setSizeGripEnabled(true);
    list_->setObjectName(QStringLiteral("fileList"));
    name_->setObjectName(QStringLiteral("fileNameEdit"));
    type_->setObjectName(QStringLiteral("fileTypeCombo"));
    type_->addItem(request.filter);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, Qt::Vertical, this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(tr("Look in:"), this), 0, 0);
    layout->addWidget(folderLabel_, 0, 1, 1, 2);
    layout->addWidget(list_, 1, 0, 1, 3);
    layout->addWidget(new QLabel(tr("File name:"), this), 2, 0);
    layout->addWidget(name_, 2, 1);
    layout->addWidget(new QLabel(tr("Files of type:"), this), 3, 0);
    layout->addWidget(type_, 3, 1);
    layout->addWidget(buttons, 2, 2, 2, 1);
    if (request.fromWeb) {
        auto* web = new QPushButton(QStringLiteral("From the &Web..."), this);
        web->setObjectName(QStringLiteral("fromWebButton"));
        web->setAutoDefault(false);
        layout->addWidget(web, 4, 0, 1, 2, Qt::AlignLeft);
        connect(web, &QPushButton::clicked, this, [this, source = request.fromWeb] {
            std::optional<QString> path;
            Guard([&] { path = source(this); });
            if (path) {
                chosen_ = PathBytes(*path);
                accept();
            }
        });
    }
    resize(520, 340);

    // Return anywhere opens what the name box holds; a picked folder is entered.
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::currentItemChanged, this,
            [this](const QListWidgetItem* item) { Pick(item); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { Confirm(); });
    connect(name_, &QLineEdit::textEdited, this, [this] { picked_.clear(); });

    const std::string preselected = PathBytes(request.fileName);
    const auto slash = preselected.rfind('/');
    const std::optional<std::string> folder =
        slash == std::string::npos ? std::nullopt : RealFolder(preselected.substr(0, slash + 1));
    ShowFolder(folder.value_or(CurrentFolder()));
    if (folder) {
        const std::string name = preselected.substr(slash + 1);
        const auto found = list_->findItems(DisplayText(name), Qt::MatchExactly);
        for (QListWidgetItem* item : found) {
            if (item->data(kNameRole).toByteArray().toStdString() == name) {
                list_->setCurrentItem(item);
            }
        }
        name_->setText(DisplayText(name));
        picked_ = name;
    }
    name_->setFocus();
}

void ChooserDialog::ShowFolder(const std::string& folder) {
    folder_ = folder;
    folderLabel_->setText(DisplayText(folder));
    list_->clear();
    for (const Entry& entry : Entries(folder, pattern_)) {
        auto* item = new QListWidgetItem(DisplayText(entry.name) + (entry.folder ? "/" : ""));
        item->setData(kNameRole, QByteArray::fromStdString(entry.name));
        list_->addItem(item);
    }
    name_->clear();
    picked_.clear();
}

void ChooserDialog::Pick(const QListWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    picked_ = item->data(kNameRole).toByteArray().toStdString();
    name_->setText(item->text());
}

void ChooserDialog::Confirm() {
    const std::string name = picked_.empty() ? PathBytes(name_->text()) : picked_;
    if (name.empty()) {
        return;
    }
    const std::string path = Joined(folder_, name);
    if (const std::optional<std::string> folder = RealFolder(path)) {
        ShowFolder(*folder);
        return;
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        QMessageBox::warning(this, windowTitle(),
                             DisplayText(path) +
                                 tr("\nFile not found.\nCheck the file name and try again."));
        return;
    }
    chosen_ = path;
    accept();
}

} // namespace zintra
