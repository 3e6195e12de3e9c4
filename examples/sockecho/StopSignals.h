#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace zintra {

// Turns SIGINT and SIGTERM into a call on the event loop's thread: the signal handler only
// writes a byte to a pipe, which a notifier watches.
class StopSignals : public QObject {
public:
    explicit StopSignals(std::function<void()> stop);
    ~StopSignals() override;

private:
    std::function<void()> stop_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace zintra
