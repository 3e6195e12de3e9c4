#pragma once

#include "base/StringList.h"
#include "platform/Dialog.h"

#include <QPointer>

class QLabel;
class QListWidget;
class QPushButton;

namespace zintra {

class TSock;
class Bevel;
class TForm6;

// The collection-list dialog, "Change Source...": a list of collections to choose from, and
// "&Custom..." for the URL the list comes from. It carries the socket component Sock1, set up
// from its stored properties as a stream socket for port "80"; creating it opens no socket.
class TForm5 : public Dialog {
public:
    explicit TForm5(QWidget* owner = nullptr);

    QListWidget* ListBox1;
    QLabel* Label2;
    QPushButton* Button1;
    QPushButton* Button2;
    Bevel* Bevel1;
    QPushButton* Button4;
    TSock* Sock1;

    // Creates the custom list URL dialog, owned by this form, as CustomListDialog.
    void FormCreate();
    // "C&ancel", Escape and the close box: the dialog hides.
    void Button1Click();
    // "&Custom...": shows CustomListDialog modally; its answer is not used.
    void Button4Click();
    // Makes `items` the content of ListBox1, replacing what it held.
    void AddItems(const TStringList& items);

protected:
    void reject() override;
};

// The start-up instance, and the custom list URL dialog its FormCreate made.
inline TForm5* Form5 = nullptr;
inline QPointer<TForm6> CustomListDialog;

} // namespace zintra
