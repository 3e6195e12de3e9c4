#pragma once

#include "base/StringList.h"
#include "platform/Dialog.h"
#include "web/WebFolder.h"

#include <QPointer>
#include <QStringList>
#include <memory>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;

namespace zintra {

class TSock;
class Bevel;
class HttpGet;
class TForm6;
class ListReading;
class WebDownload;
struct HttpAnswer;
struct ReadList;
struct DownloadOutcome;

// The collection-list dialog, "Change Source...": a list of collections to choose from, and
// "&Custom..." for the URL the list comes from. It carries the socket component Sock1, set up
// from its stored properties as a stream socket for port "80"; creating it opens no socket.
// Lists and collections are fetched through Sock1 without blocking, and lists read off the
// window thread; while a transfer runs, Label2 counts the bytes received and "C&ancel" stops it.
class TForm5 : public Dialog {
public:
    explicit TForm5(QWidget* owner = nullptr);
    ~TForm5() override;

    QListWidget* ListBox1;
    QLabel* Label2;
    QPushButton* Button1;
    QPushButton* Button2;
    Bevel* Bevel1;
    QPushButton* Button4;
    TSock* Sock1;

    // Creates the custom list URL dialog, owned by this form, as CustomListDialog.
    void FormCreate();
    // "C&ancel", Escape and the close box: stops the transfer that runs, or else the dialog
    // hides.
    void Button1Click();
    // "&OK": downloads the selected collection into the web folder, then closes the dialog.
    void Button2Click();
    // "&Custom...": shows CustomListDialog modally; on its "&OK" the list at the address typed
    // in its Edit1 is fetched (read as ReadAddress reads it).
    void Button4Click();
    // Makes `items` the content of ListBox1, replacing what it held.
    void AddItems(const TStringList& items);

    // Shows the dialog modally with the last list kept in `folder` and, when `list` is given,
    // fetches that list at once. Gives the full path of the collection "&OK" downloaded, or
    // nothing when the dialog was cancelled.
    std::optional<QString> ChooseCollection(const WebFolder& folder, const QUrl& list = {});
    // Fetches the list at `url` into ListBox1 (and keeps it as the last list). Raises
    // EWebFailure for an address that is no web address, or that holds a password.
    void FetchList(const QUrl& url);
    bool Transferring() const;

protected:
    void reject() override;

private:
    void ShowList(const SavedList& list);
    void ShowNames(const QStringList& names);
    void ListFetched(const HttpAnswer& answer);
    void ListRead(ReadList& read);
    // Downloads a collection (or a feed) into its copy, which OK then chooses.
    void Download(const QUrl& url);
    void Downloaded(const DownloadOutcome& outcome);
    void ShowProgress(std::size_t bytes);
    void EndTransfer();

    std::optional<WebFolder> folder_;
    SavedList list_;
    std::unique_ptr<HttpGet> get_;
    std::unique_ptr<WebDownload> download_;
    ListReading* reading_;
    std::optional<QString> chosen_;
};

// The start-up instance, and the custom list URL dialog its FormCreate made.
inline TForm5* Form5 = nullptr;
inline QPointer<TForm6> CustomListDialog;

} // namespace zintra
