#pragma once

#include "dialogs/Bevel.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <utility>

class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace zintra {

// Controls built from a window description: a name, bounds in pixels and a caption or text.

// A one-line label that grows wider than its bounds where its text needs it, so that a
// substitute font that runs wider than the original never cuts a word.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect bounds);
// A label of fixed size whose text wraps inside its bounds.
QLabel* MakeWrappedLabel(QWidget* parent, const char* name, const QString& text, QRect bounds);
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect bounds);
// A one-line edit box holding `text`.
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text, QRect bounds);
// An empty list box whose rows are `itemHeight` pixels high.
QListWidget* MakeListBox(QWidget* parent, const char* name, int itemHeight, QRect bounds);
Bevel* MakeBevel(QWidget* parent, const char* name, Bevel::Edge edge, QRect bounds);

// A dialog's "&OK" (Button1, the default, accepting) and "&Cancel" (Button2, rejecting, as
// Escape and the close box do) buttons, in that order.
std::pair<QPushButton*, QPushButton*> MakeOkCancelButtons(QDialog* dialog, QRect okBounds,
                                                          QRect cancelBounds);

// An ordinary window with the platform's standard title-bar buttons, resizable, whose outer
// size (frame and title bar included) is `outerSize`, placed with its top-left corner at
// `position` when shown.
void UseSizeableWindow(QWidget& window, QPoint position, QSize outerSize);

} // namespace zintra
