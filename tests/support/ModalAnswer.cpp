#include "tests/support/ModalAnswer.h"

#include <QApplication>
#include <QPushButton>

ModalAnswer::ModalAnswer(std::function<void(QWidget*)> answer)
    : answer_(std::move(answer)), before_(QApplication::activeModalWidget()) {
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start(5);
}

void ModalAnswer::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == before_ || !modal->isVisible())
        return;
    poll_.stop();
    answered_ = true;
    answer_(modal);
}

std::function<void(QWidget*)> RecordAndPressOk(ShownBox& shown) {
    return [&shown](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (box == nullptr) {
            window->close(); // not an error box: leave `shown` empty for the test to see
            return;
        }
        shown = {box->windowTitle(), box->text(), box->icon(), box->textFormat()};
        box->button(QMessageBox::Ok)->click();
    };
}
