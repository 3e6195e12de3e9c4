#include "dialogs/CustomListUrlDialog.h"

#include "dialogs/Controls.h"
#include "platform/WindowStyle.h"

#include <QLineEdit>
#include <QPushButton>
#include <tuple>

namespace zintra {

TForm6::TForm6(QWidget* owner) : Dialog(owner) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Select custom list URL..."));
    // A dialog centres itself over the window that owns it when shown.
    UseFixedSingleBorder(*this, {379, 73});

    Label1 = MakeWrappedLabel(
        this, "Label1",
        QStringLiteral("You can select a custom URL to get the list of collections from, below:"),
        {8, 8, 265, 25});
    Edit1 = MakeEdit(this, "Edit1", QStringLiteral("http://"), {8, 40, 273, 21});
    Bevel1 = MakeBevel(this, "Bevel1", Bevel::Edge::Left, {288, 8, 9, 57});

    std::tie(Button1, Button2) = MakeOkCancelButtons(this, {296, 8, 75, 25}, {296, 40, 75, 25});

    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Button2);
    Edit1->setFocus();
}

} // namespace zintra
