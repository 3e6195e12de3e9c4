#include "dialogs/Controls.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <algorithm>

namespace zintra {

namespace {

// The frame the window descriptions measure their outer sizes with: a 4-pixel sizing border
// all round and a 19-pixel title bar.
constexpr int kFrameWidth = 4;
constexpr int kCaptionHeight = 19;

template <class Control> Control* Named(Control* control, const char* name, QRect bounds) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(bounds);
    return control;
}

// Rows of one height, whatever the font asks for.
class FixedRowHeight : public QStyledItemDelegate {
public:
    FixedRowHeight(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

} // namespace

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect bounds) {
    auto* label = new QLabel(text, parent);
    bounds.setWidth(std::max(bounds.width(), label->sizeHint().width()));
    return Named(label, name, bounds);
}

QLabel* MakeWrappedLabel(QWidget* parent, const char* name, const QString& text, QRect bounds) {
    auto* label = Named(new QLabel(text, parent), name, bounds);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect bounds) {
    return Named(new QPushButton(caption, parent), name, bounds);
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text, QRect bounds) {
    return Named(new QLineEdit(text, parent), name, bounds);
}

QListWidget* MakeListBox(QWidget* parent, const char* name, int itemHeight, QRect bounds) {
    auto* list = Named(new QListWidget(parent), name, bounds);
    list->setUniformItemSizes(true);
    list->setItemDelegate(new FixedRowHeight(itemHeight, list));
    return list;
}

std::pair<QPushButton*, QPushButton*> MakeOkCancelButtons(QDialog* dialog, QRect okBounds,
                                                          QRect cancelBounds) {
    QPushButton* ok = MakeButton(dialog, "Button1", QStringLiteral("&OK"), okBounds);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QPushButton* cancel = MakeButton(dialog, "Button2", QStringLiteral("&Cancel"), cancelBounds);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return {ok, cancel};
}

Bevel* MakeBevel(QWidget* parent, const char* name, Bevel::Edge edge, QRect bounds) {
    return Named(new Bevel(edge, parent), name, bounds);
}

void UseSizeableWindow(QWidget& window, QPoint position, QSize outerSize) {
    window.setWindowFlags(Qt::Window);
    window.resize(outerSize.width() - 2 * kFrameWidth,
                  outerSize.height() - 2 * kFrameWidth - kCaptionHeight);
    window.move(position);
}

} // namespace zintra
