#include "dialogs/CollectionListDialog.h"

#include "dialogs/Controls.h"
#include "dialogs/CustomListUrlDialog.h"
#include "platform/DisplayText.h"
#include "platform/Guard.h"
#include "platform/WindowStyle.h"
#include "sock/Sock.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace zintra {

namespace {

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

    Label2 = MakeWrappedLabel(
        this, "Label2",
        QStringLiteral("You can select what collection of quotes/jokes to show here:"),
        {8, 8, 273, 26});
    ListBox1 = MakeListBox(this, "ListBox1", 13, {8, 40, 273, 177});
    Bevel1 = MakeBevel(this, "Bevel1", Bevel::Edge::Top, {8, 224, 273, 9});

    Button4 = MakeButton(this, "Button4", QStringLiteral("&Custom..."), {8, 232, 75, 25});
    connect(Button4, &QPushButton::clicked, this, Guarded([this] { Button4Click(); }));

    // The default button answers Enter; the list has no use for a choice yet.
    Button2 = MakeButton(this, "Button2", QStringLiteral("&OK"), {128, 232, 75, 25});
    Button2->setDefault(true);

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
}

void TForm5::FormCreate() {
    CustomListDialog = new TForm6(this);
}

void TForm5::Button1Click() {
    hide();
}

void TForm5::Button4Click() {
    if (CustomListDialog) {
        CustomListDialog->ShowModal();
    }
}

void TForm5::AddItems(const TStringList& items) {
    ListBox1->clear();
    for (std::int32_t i = 0; i < items.Count(); ++i) {
        ListBox1->addItem(DisplayText(items.Get(i)));
    }
}

void TForm5::reject() {
    Button1Click();
}

} // namespace zintra
