#include "app/MainWindow.h"

#include "base/IntegerText.h"
#include "core/FileExists.h"
#include "core/SettingsFile.h"
#include "core/SettingsPath.h"
#include "dialogs/AboutForm.h"
#include "dialogs/CollectionListDialog.h"
#include "dialogs/DownloadWindow.h"
#include "dialogs/HelpForm.h"
#include "dialogs/OptionsDialog.h"
#include "platform/Application.h"
#include "platform/DisplayText.h"
#include "platform/Guard.h"
#include "platform/PathText.h"
#include "platform/StaticText.h"
#include "platform/Timer.h"
#include "platform/WindowStyle.h"
#include "web/CopyRefresher.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QSlider>
#include <optional>
#include <string>

namespace zintra {

namespace {

// The path of what is dragged, when it is a single file on this machine; anything else (several
// items, a remote address, a folder) is no collection to drop. The name is taken as the bytes
// it is, UTF-8 or not.
std::optional<std::string> DraggedFile(const QMimeData* data) {
    if (data == nullptr || data->urls().size() != 1 || !data->urls().front().isLocalFile()) {
        return std::nullopt;
    }
    std::string path = LocalPathBytes(data->urls().front());
    if (!FileExists(path)) {
        return std::nullopt;
    }
    return path;
}

// A link dragged from a browser.
std::optional<QUrl> DraggedAddress(const QMimeData* data) {
    if (data == nullptr || data->urls().size() != 1) {
        return std::nullopt;
    }
    const QUrl url = data->urls().front();
    if (url.scheme() != QStringLiteral("http") && url.scheme() != QStringLiteral("https")) {
        return std::nullopt;
    }
    return url;
}

} // namespace

TForm1::TForm1(std::function<std::string()> settingsPath, std::unique_ptr<FileChooser> chooser)
    : Timer1(new Timer(kDefaultInterval, this)),
      StaticText1(new StaticText(QString::fromLatin1(kLoadingText), this)),
      PopupMenu1(new QMenu(this)),
      OpenDialog1(QStringLiteral("Select Zintra Source File"),
                  QStringLiteral("Zintra Source Files (*.zin)"), std::move(chooser)),
      settingsPath_(std::move(settingsPath)), bar_(*this) {
    setWindowTitle(QStringLiteral("Zintra 1.00"));
    UseFixedSingleBorder(*this, {370, 19});
    setAcceptDrops(true);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setGeometry(0, 0, 369, 19);

    ChangeSource1 = PopupMenu1->addAction(QStringLiteral("&Change Source..."));
    FromWeb1 = PopupMenu1->addAction(QStringLiteral("From the &Web..."));
    Options1 = PopupMenu1->addAction(QStringLiteral("&Options..."));
    Help1 = PopupMenu1->addAction(QStringLiteral("&Help..."));
    About1 = PopupMenu1->addAction(QStringLiteral("&About..."));
    N1 = PopupMenu1->addSeparator();
    Exit1 = PopupMenu1->addAction(QStringLiteral("E&xit"));

    connect(Timer1, &Timer::Tick, this, Guarded([this] { Timer1Timer(); }));
    connect(ChangeSource1, &QAction::triggered, this, Guarded([this] { ChangeSource1Click(); }));
    connect(FromWeb1, &QAction::triggered, this, Guarded([this] { FromWeb1Click(); }));
    connect(Options1, &QAction::triggered, this, Guarded([this] { Options1Click(); }));
    connect(Help1, &QAction::triggered, this, Guarded([this] { Help1Click(); }));
    connect(About1, &QAction::triggered, this, Guarded([this] { About1Click(); }));
    connect(Exit1, &QAction::triggered, this, Guarded([this] { Exit1Click(); }));
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    bar_.SetPadText(" ");
    bar_.SetScrollPos(0);
    bar_.SetWindowWidth(55);
    bar_.Random().Seed(RandomGenerator::ClockSeed());
    PopupMenu = PopupMenu1;
    OptionsDialog = new TForm2(this);

    const std::string settingsPath = settingsPath_();
    if (!FileExists(settingsPath)) {
        Settings.Add(kDefaultSeparator);
        Settings.Add(std::to_string(kDefaultInterval));
        Settings.Add("");
        return;
    }
    const SettingsLines lines = ReadSettingsFile(settingsPath);
    bar_.SetSeparator(lines.Separator);
    Settings.Add(lines.Separator);
    Settings.Add(lines.Interval);
    Settings.Add(lines.Path);
    Timer1->SetInterval(StrToInt(lines.Interval));
    Load(lines.Path);
    Timer1->SetEnabled(true);
    FollowCopy(lines.Path);
}

void TForm1::Load(const std::string& path) {
    links_.Clear();
    bar_.Load(path);
    links_.Load(WebFolder::BesideSettings(settingsPath_()), path);
}

void TForm1::Timer1Timer() {
    if (copyChanged_ && bar_.ScrollPos() > bar_.MessageLength()) {
        copyChanged_ = false;
        bar_.SetScrollPos(0);
        Load(Settings.Get(2));
    }
    bar_.Timer1Timer();
}

void TForm1::Stuff(const std::string& path) {
    CheckCollectionPath(path);
    const bool scrolling = Timer1->Enabled();
    const QString shown = StaticText1->Caption();
    SetTimerEnabled(false);
    SetBarText(kLoadingText);
    CompleteSettings();
    const std::string previous = Settings.Get(2);
    Settings.Delete(2);
    Settings.Add(path);
    try {
        const std::string settingsPath = settingsPath_();
        MakeSettingsFolder(settingsPath);
        Settings.SaveToFile(settingsPath);
    } catch (...) {
        // The old file is intact: what it names keeps scrolling.
        Settings.Put(2, previous);
        StaticText1->SetCaption(shown);
        SetTimerEnabled(scrolling);
        throw;
    }
}

void TForm1::ChangeSource1Click() {
    if (!OpenDialog1.Execute(this)) {
        return;
    }
    UseSource(PathBytes(OpenDialog1.FileName()));
}

void TForm1::UseSource(const std::string& path) {
    Stuff(path);
    Load(path);
    FollowCopy(path);
}

void TForm1::FromWeb1Click() {
    if (const std::optional<QString> path = ChooseFromWeb(QUrl())) {
        UseSource(QFile::encodeName(*path).toStdString());
    }
}

std::optional<QString> TForm1::ChooseFromWeb(const QUrl& list) {
    if (Form5 == nullptr) {
        return std::nullopt;
    }
    return Form5->ChooseCollection(WebCopies(), list);
}

void TForm1::UseAddress(const QUrl& url) {
    if (!url.path().endsWith(QStringLiteral(".zin"), Qt::CaseInsensitive)) {
        if (const std::optional<QString> path = ChooseFromWeb(url)) {
            UseSource(QFile::encodeName(*path).toStdString());
        }
        return;
    }
    download_ = std::make_unique<DownloadWindow>(WebCopies(), this);
    download_->OnDownloaded = [this](const QString& path) {
        UseSource(QFile::encodeName(path).toStdString());
    };
    download_->Start(url);
}

void TForm1::FollowCopy(const std::string& path) {
    copyChanged_ = false;
    if (!refresher_) {
        refresher_ = std::make_unique<CopyRefresher>(WebFolder::BesideSettings(settingsPath_()));
        refresher_->OnChanged = [this](const QString&) { copyChanged_ = true; };
    }
    refresher_->Follow(QFile::decodeName(QByteArray::fromStdString(path)));
}

WebFolder TForm1::WebCopies() {
    const std::string settingsPath = settingsPath_();
    MakeSettingsFolder(settingsPath);
    return WebFolder::BesideSettings(settingsPath);
}

void TForm1::Exit1Click() {
    Application::Instance().Terminate();
}

void TForm1::Options1Click() {
    Timer1->SetEnabled(false);
    // A stored interval that is missing or not an integer opens the dialog at the timer's own
    // interval, so that OK can replace it.
    const std::optional<std::int32_t> stored =
        Settings.Count() > 1 ? TryStrToInt(Settings.Get(1)) : std::nullopt;
    OptionsDialog->TrackBar1->setValue(PositionOfInterval(stored.value_or(Timer1->Interval())));
    if (OptionsDialog->ShowModal() == mrOk) {
        const int interval = IntervalOfPosition(OptionsDialog->TrackBar1->value());
        CompleteSettings();
        Settings.Put(1, std::to_string(interval));
        Timer1->SetInterval(interval);
    }
    Timer1->SetEnabled(true);
}

void TForm1::CompleteSettings() {
    if (Settings.Count() < 1) {
        Settings.Add(kDefaultSeparator);
    }
    if (Settings.Count() < 2) {
        Settings.Add(std::to_string(Timer1->Interval()));
    }
    if (Settings.Count() < 3) {
        Settings.Add("");
    }
}

void TForm1::Help1Click() {
    if (HelpForm == nullptr) {
        HelpForm = new THelpForm(this);
    }
    HelpForm->Present();
}

void TForm1::About1Click() {
    Form4->ShowModal();
}

void TForm1::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        PopupAt(mapToGlobal(QPoint(0, 0)));
    } else {
        PopupAt(event->globalPos());
    }
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    // The menu key arrives as a keyboard context-menu event; Shift+F10 does not.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        PopupAt(mapToGlobal(QPoint(0, 0)));
    } else {
        QWidget::keyPressEvent(event);
    }
}

void TForm1::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = StaticText1->mapFrom(this, event->position().toPoint());
        Guard([&] { links_.OpenAt(bar_, *StaticText1, at); });
    }
    QWidget::mousePressEvent(event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (DraggedFile(event->mimeData()) || DraggedAddress(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void TForm1::dropEvent(QDropEvent* event) {
    if (const std::optional<QUrl> url = DraggedAddress(event->mimeData())) {
        event->acceptProposedAction();
        QMetaObject::invokeMethod(this, Guarded([this, address = *url] { UseAddress(address); }),
                                  Qt::QueuedConnection);
        return;
    }
    const std::optional<std::string> path = DraggedFile(event->mimeData());
    if (!path) {
        return;
    }
    event->acceptProposedAction();
    // Loaded once the drop is over, so that the program the file came from is not kept waiting
    // on a long load or an error box.
    QMetaObject::invokeMethod(this, Guarded([this, file = *path] { UseSource(file); }),
                              Qt::QueuedConnection);
}

void TForm1::PopupAt(QPoint globalPos) {
    if (PopupMenu != nullptr) {
        PopupMenu->popup(globalPos);
    }
}

void TForm1::SetBarText(const std::string& text) {
    StaticText1->SetCaption(DisplayText(text));
}

void TForm1::SetTimerEnabled(bool enabled) {
    Timer1->SetEnabled(enabled);
}

} // namespace zintra
