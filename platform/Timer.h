#pragma once

#include <QObject>
#include <QTimer>

namespace zintra {

// A periodic tick on the window thread. An interval of 0 or below never ticks, and switching
// the timer on starts a full interval; switching on a timer that is already on changes nothing.
class Timer : public QObject {
    Q_OBJECT

public:
    explicit Timer(int interval, QObject* owner = nullptr);

    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);

signals:
    void Tick();

private:
    void Restart();

    QTimer timer_;
    int interval_;
    bool enabled_ = false;
};

} // namespace zintra
