#include "dialogs/CollectionListDialog.h"

#include "dialogs/Controls.h"
#include "dialogs/CustomListUrlDialog.h"
#include "platform/DisplayText.h"
#include "platform/Guard.h"
#include "platform/WindowStyle.h"
#include "sock/Sock.h"
#include "web/CollectionList.h"
#include "web/FeedReader.h"
#include "web/HttpGet.h"
#include "web/ListReading.h"
#include "web/WebAddress.h"
#include "web/WebDownload.h"
#include "web/WebFailure.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace zintra {

namespace {

const QString kLabel2Text =
    QStringLiteral("You can select what collection of quotes/jokes to show here:");

// Sock1 as the form stores it: its bounds, then its published properties in their order.
// HostName is empty and so not stored; no event has a handler.
StoredProperties Sock1Properties() {
    return {
        {"Left", 88},
        {"Top", 232},
        {"Width", 28},
        {"Height", 28},
        {"SocketType", QStringLiteral("stStream")},
        {"PortName", QStringLiteral("80")},
        {"LocalPortName", QStringLiteral("-1")},
        {"Blocking", false},
        {"AutoAccept", false},
        {"Listen", false},
        {"LineBreak", QStringLiteral("lbSmart")},
        {"BlockingTimeout", 0},
    };
}

} // namespace

TForm5::TForm5(QWidget* owner) : Dialog(owner) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Change Source..."));
    // Without an owning window, a dialog centres itself on the desktop when shown.
    UseFixedSingleBorder(*this, {289, 266});

    Label2 = MakeWrappedLabel(this, "Label2", kLabel2Text, {8, 8, 273, 26});
    ListBox1 = MakeListBox(this, "ListBox1", 13, {8, 40, 273, 177});
    Bevel1 = MakeBevel(this, "Bevel1", Bevel::Edge::Top, {8, 224, 273, 9});

    Button4 = MakeButton(this, "Button4", QStringLiteral("&Custom..."), {8, 232, 75, 25});
    connect(Button4, &QPushButton::clicked, this, Guarded([this] { Button4Click(); }));

    // The default button answers Enter.
    Button2 = MakeButton(this, "Button2", QStringLiteral("&OK"), {128, 232, 75, 25});
    Button2->setDefault(true);
    connect(Button2, &QPushButton::clicked, this, Guarded([this] { Button2Click(); }));

    Button1 = MakeButton(this, "Button1", QStringLiteral("C&ancel"), {208, 232, 75, 25});
    connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));

    setTabOrder(ListBox1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button4);
    ListBox1->setFocus();

    Sock1 = new TSock(this);
    Sock1->setObjectName(QStringLiteral("Sock1"));
    const StoredComponent stored[] = {{Sock1, Sock1Properties()}};
    ReadComponents(stored);
    get_ = std::make_unique<HttpGet>(*Sock1);
    get_->OnProgress = [this](std::size_t bytes) { ShowProgress(bytes); };
    reading_ = new ListReading(this);
    reading_->OnRead = [this](ReadList& read) { Guard([&] { ListRead(read); }); };
}

// The transfer goes before the component it works through.
TForm5::~TForm5() {
    download_.reset();
    get_.reset();
}

void TForm5::FormCreate() {
    CustomListDialog = new TForm6(this);
}

void TForm5::Button1Click() {
    if (Transferring()) {
        get_->Cancel();
        reading_->Cancel();
        EndTransfer();
        return;
    }
    hide();
}

void TForm5::Button2Click() {
    const int row = ListBox1->currentRow();
    if (Transferring() || !folder_ || row < 0 || std::size_t(row) >= list_.entries.size()) {
        return;
    }
    Download(list_.entries[std::size_t(row)]);
}

void TForm5::Download(const QUrl& url) {
    download_ = std::make_unique<WebDownload>(*get_, *folder_);
    download_->OnDone = [this](const DownloadOutcome& outcome) {
        Guard([&] { Downloaded(outcome); });
    };
    ShowProgress(0);
    download_->Start(url);
}

void TForm5::Button4Click() {
    if (CustomListDialog && CustomListDialog->ShowModal() == mrOk) {
        FetchList(ReadAddress(CustomListDialog->Edit1->text()));
    }
}

std::optional<QString> TForm5::ChooseCollection(const WebFolder& folder, const QUrl& list) {
    folder_ = folder;
    chosen_.reset();
    ShowList(folder.LastList());
    if (!list.isEmpty()) {
        FetchList(list);
    }
    if (ShowModal() != mrOk) {
        get_->Cancel();
        reading_->Cancel();
        EndTransfer();
        return std::nullopt;
    }
    return chosen_;
}

void TForm5::FetchList(const QUrl& url) {
    RequireWebAddress(url);
    get_->Cancel();
    reading_->Cancel();
    get_->OnDone = [this](const HttpAnswer& answer) { Guard([&] { ListFetched(answer); }); };
    ShowProgress(0);
    get_->Start(url);
}

bool TForm5::Transferring() const {
    return get_->Running() || reading_->Running();
}

void TForm5::ShowList(const SavedList& list) {
    list_ = list;
    ShowNames(CollectionNames(list.entries));
}

void TForm5::ListFetched(const HttpAnswer& answer) {
    if (!answer.failure.empty()) {
        EndTransfer();
        throw EWebFailure(answer.failure);
    }
    // A feed's address is a collection's.
    if (folder_ && IsFeed(answer.body, answer.contentType)) {
        Download(answer.url);
        return;
    }
    reading_->Start(answer.url, answer.body, answer.contentType);
}

void TForm5::ListRead(ReadList& read) {
    EndTransfer();
    if (!read.failure.empty()) {
        throw EWebFailure(read.failure);
    }
    list_ = std::move(read.list);
    ShowNames(read.names);
    if (folder_) {
        folder_->SaveLastList(read.text);
    }
}

void TForm5::Downloaded(const DownloadOutcome& outcome) {
    EndTransfer();
    if (!outcome.failure.empty()) {
        throw EWebFailure(outcome.failure);
    }
    chosen_ = outcome.path;
    accept();
}

void TForm5::ShowProgress(std::size_t bytes) {
    Label2->setText(QStringLiteral("Received %1 bytes; Cancel stops the transfer.").arg(bytes));
}

void TForm5::EndTransfer() {
    Label2->setText(kLabel2Text);
}

void TForm5::AddItems(const TStringList& items) {
    QStringList names;
    for (std::int32_t i = 0; i < items.Count(); ++i) {
        names.push_back(DisplayText(items.Get(i)));
    }
    ShowNames(names);
}

// All at once: one insertion into the list box costs what the rows that show cost.
void TForm5::ShowNames(const QStringList& names) {
    ListBox1->clear();
    ListBox1->addItems(names);
}

void TForm5::reject() {
    Button1Click();
}

} // namespace zintra
