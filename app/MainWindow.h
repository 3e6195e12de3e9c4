#pragma once

#include "app/BarLinks.h"
#include "base/StringList.h"
#include "core/MessageBar.h"
#include "core/MessageBarView.h"
#include "platform/OpenDialog.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QMenu;
class QUrl;

namespace zintra {

class CopyRefresher;
class DownloadWindow;
class StaticText;
class TForm2;
class WebFolder;
class THelpForm;
class Timer;

// The main window: a narrow, fixed window holding the message bar, worked through its
// context menu. It keeps the settings file's three lines in Settings.
class TForm1 : public QWidget, private MessageBarView {
public:
    // `settingsPath` forms the path of "config.ini" (beside the executable in the program);
    // `chooser` answers "&Change Source...".
    TForm1(std::function<std::string()> settingsPath, std::unique_ptr<FileChooser> chooser);
    ~TForm1() override;

    Timer* Timer1;
    StaticText* StaticText1;
    QMenu* PopupMenu1;
    QAction* ChangeSource1;
    QAction* FromWeb1;
    QAction* Exit1;
    OpenDialog OpenDialog1;
    QAction* Options1;
    QAction* N1;
    QAction* About1;
    QAction* Help1;

    // The context menu of the window and of its bar; none until FormCreate attaches it.
    QMenu* PopupMenu = nullptr;
    // The window's own options dialog, created by FormCreate.
    TForm2* OptionsDialog = nullptr;
    // The help window, made by the first "&Help..." and kept for the next.
    THelpForm* HelpForm = nullptr;
    // Separator, scroll interval text and collection path.
    TStringList Settings;

    void FormCreate();
    void Stuff(const std::string& path);
    // Shows the collection at `path`, with the links kept for it.
    void Load(const std::string& path);
    // A copy from the web that changed meanwhile is shown once the text starts over.
    void Timer1Timer();
    void ChangeSource1Click();
    // A collection chosen in the chooser or dropped on the window: recorded, then shown.
    void UseSource(const std::string& path);
    // "From the &Web...": a collection chosen from a list on the web, downloaded and used.
    void FromWeb1Click();
    // Form5 over the window; the full path of the downloaded copy.
    std::optional<QString> ChooseFromWeb(const QUrl& list);
    // A web address dropped on the window: a collection (".zin") is downloaded and used, any
    // other is read as a list in Form5.
    void UseAddress(const QUrl& url);
    void Exit1Click();
    void Options1Click();
    void Help1Click();
    void About1Click();

    MessageBar& Bar() { return bar_; }
    const MessageBar& Bar() const { return bar_; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A left click on a story opens it.
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void SetBarText(const std::string& text) override;
    void SetTimerEnabled(bool enabled) override;
    void PopupAt(QPoint globalPos);
    // Settings short of lines (the settings file could not be read) get what they lack: the
    // default Separator, the timer's interval and an empty path, so a choice writes all three.
    void CompleteSettings();
    // Keeps the shown collection fresh when it is a copy from the web.
    void FollowCopy(const std::string& path);
    // The web copies' folder beside the settings file, made when it is missing.
    WebFolder WebCopies();

    std::function<std::string()> settingsPath_;
    MessageBar bar_;
    BarLinks links_;
    std::unique_ptr<CopyRefresher> refresher_;
    std::unique_ptr<DownloadWindow> download_;
    bool copyChanged_ = false;
};

// The main window, the first start-up window.
inline TForm1* Form1 = nullptr;

} // namespace zintra
