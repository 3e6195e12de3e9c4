#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

// Answers a modal window from inside its own event loop: as soon as `window` is visible,
// `answer` runs once. The watch goes with the window.
inline void AnswerWhenShown(QWidget* window, std::function<void()> answer) {
    auto* watch = new QTimer(window);
    QObject::connect(watch, &QTimer::timeout, window, [watch, window, answer = std::move(answer)] {
        if (!window->isVisible())
            return;
        watch->stop();
        answer();
    });
    watch->start(5);
}
