#include "dialogs/CollectionUrlForm.h"

#include "dialogs/Controls.h"

#include <QLabel>
#include <QLineEdit>

namespace zintra {

TForm7::TForm7(QWidget* owner) : QWidget(owner) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Form7"));
    UseSizeableWindow(*this, {192, 121}, {300, 116});

    Label3 = MakeWrappedLabel(
        this, "Label3",
        QStringLiteral(
            "You can select a custom URL that contains a collection of quotes/jokes, here:"),
        {8, 16, 266, 26});
    Bevel3 = MakeBevel(this, "Bevel3", Bevel::Edge::Top, {8, 8, 273, 9});
    Edit2 = MakeEdit(this, "Edit2", QStringLiteral("http://"), {8, 48, 273, 21});
    for (QWidget* control : std::initializer_list<QWidget*>{Label3, Bevel3, Edit2}) {
        control->hide();
    }
}

} // namespace zintra
