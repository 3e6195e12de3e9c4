#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

// Answers the next modal window to open (one that is not already open when this is made):
// as soon as it shows, `answer` runs on it. Lets a test work a dialog that the code under test
// opens and waits for.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer);

    bool Answered() const { return answered_; }

private:
    void Poll();

    std::function<void(QWidget*)> answer_;
    QPointer<QWidget> before_;
    QTimer poll_;
    bool answered_ = false;
};

// What an error box showed.
struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
};

// An answer that records the message box it meets into `shown` and presses its OK.
std::function<void(QWidget*)> RecordAndPressOk(ShownBox& shown);
