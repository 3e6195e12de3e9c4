#pragma once

#include <QFrame>
#include <QString>

namespace zintra {

// One line of left-aligned text in a sunken bevel on the window colour. "&" marks the next
// character as a mnemonic and is not shown; "&&" shows one "&". It never resizes itself.
class StaticText : public QFrame {
public:
    StaticText(const QString& caption, QWidget* parent);

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

} // namespace zintra
