#pragma once

#include <exception>
#include <functional>

class QObject;

namespace zintra {

// What the application hands the socket unit at start-up.

// The application's first form: the parent given to a component that gets a socket without
// having a parent, such as an accepted connection's. A console program has none.
void SetApplicationFirstForm(QObject* form);
QObject* ApplicationFirstForm();

// Shows a failure that left the handling of a socket notification (a handler's exception, a
// failed Send on FD_WRITE); the program goes on. Until the application hands in its own (its
// error box), the text goes to standard error.
using NotificationFailureView = std::function<void(const std::exception& failure)>;
void SetNotificationFailureView(NotificationFailureView view);
void ShowNotificationFailure(const std::exception& failure);

} // namespace zintra
