#include "sock/SockApplication.h"

#include <QObject>
#include <QPointer>
#include <iostream>

namespace zintra {

namespace {

// Both are set and used on the window thread only.
QPointer<QObject> firstForm;
NotificationFailureView failureView;

} // namespace

void SetApplicationFirstForm(QObject* form) {
    firstForm = form;
}

QObject* ApplicationFirstForm() {
    return firstForm;
}

void SetNotificationFailureView(NotificationFailureView view) {
    failureView = std::move(view);
}

void ShowNotificationFailure(const std::exception& failure) {
    if (failureView) {
        failureView(failure);
    } else {
        std::cerr << failure.what() << std::endl;
    }
}

} // namespace zintra
