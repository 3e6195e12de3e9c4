#include "platform/Timer.h"

namespace zintra {

Timer::Timer(int interval, QObject* owner) : QObject(owner), timer_(this), interval_(interval) {
    // Precise, so that a tick never comes before its interval is over.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Timer::Tick);
}

void Timer::SetInterval(int milliseconds) {
    if (milliseconds == interval_) {
        return;
    }
    interval_ = milliseconds;
    Restart();
}

void Timer::SetEnabled(bool on) {
    if (on == enabled_) {
        return;
    }
    enabled_ = on;
    Restart();
}

void Timer::Restart() {
    timer_.stop();
    if (enabled_ && interval_ > 0) {
        timer_.start(interval_);
    }
}

} // namespace zintra
