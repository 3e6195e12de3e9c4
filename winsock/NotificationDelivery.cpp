#include "winsock/NotificationDelivery.h"

#include <QCoreApplication>
#include <QThread>
#include <utility>

namespace zintra {

NotificationDelivery::NotificationDelivery(QObject& owner, QObject* target, unsigned msg, TSocket s,
                                           QueuedMessage::Count queued)
    : owner_(owner), target_(target), msg_(msg), s_(s), queued_(std::move(queued)) {}

bool NotificationDelivery::InPass() const {
    return inPass_ && QThread::currentThread() == owner_.thread();
}

bool NotificationDelivery::EndPass(std::unique_lock<std::mutex>& guard, bool unbounded) {
    const QPointer<QObject> alive(&owner_);
    for (sentInPass_ = 0; !due_.empty();) {
        const std::uint32_t lParam = due_.front();
        due_.erase(due_.begin());
        // A target moved to another thread since it was selected hears through its queue.
        const bool burstSpent = sentInPass_ >= SendBurst && !unbounded;
        if (burstSpent || *queued_ > 0 || !target_ || target_->thread() != owner_.thread()) {
            Post(lParam);
            continue;
        }
        ++sentInPass_;
        guard.unlock();
        TSockMessage message(msg_, s_, lParam);
        QCoreApplication::sendEvent(target_, &message);
        guard.lock();
        if (!alive) {
            return false;
        }
    }
    inPass_ = false;
    return true;
}

void NotificationDelivery::Notify(int event, int error) {
    if (!target_) {
        return;
    }
    const std::uint32_t lParam = TSockMessage::MakeLParam(event, error);
    if (InPass()) {
        due_.push_back(lParam);
    } else {
        Post(lParam);
    }
}

void NotificationDelivery::PostDue() {
    for (const std::uint32_t lParam : std::exchange(due_, {})) {
        Post(lParam);
    }
}

void NotificationDelivery::Post(std::uint32_t lParam) {
    if (target_) {
        QCoreApplication::postEvent(target_, new QueuedMessage(msg_, s_, lParam, queued_));
    }
}

} // namespace zintra
