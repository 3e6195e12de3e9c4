#pragma once

#include "winsock/SockMessage.h"

#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace zintra {

// A notification posted to the target's event queue. The selection counts those still waiting
// there, so that none sent at once overtakes them; the count outlives the selection.
class QueuedMessage : public TSockMessage {
public:
    using Count = std::shared_ptr<std::atomic<int>>;

    QueuedMessage(unsigned msg, TSocket s, std::uint32_t lParam, Count queued)
        : TSockMessage(msg, s, lParam), queued_(std::move(queued)) {
        ++*queued_;
    }
    QueuedMessage(const QueuedMessage&) = delete;
    QueuedMessage& operator=(const QueuedMessage&) = delete;
    ~QueuedMessage() override { --*queued_; }

private:
    Count queued_;
};

// How one selection's notifications reach its target. Those a readiness pass of the selection's
// thread makes due are sent at once, in order, with the lock let go while the target handles
// each; what that handling makes due joins the same pass, up to a burst, so that one busy socket
// does not keep the others waiting. Everything else is posted, and so is all that would
// overtake a notification still waiting in the target's queue. Used with the selections' lock
// held.
class NotificationDelivery {
public:
    // How many notifications a pass sends at once for one socket before it posts the rest.
    static constexpr int SendBurst = 16;

    // owner: the selection, whose thread runs the passes and whose end may come in one.
    NotificationDelivery(QObject& owner, QObject* target, unsigned msg, TSocket s,
                         QueuedMessage::Count queued);

    const QueuedMessage::Count& Queued() const { return queued_; }
    bool SameTarget(const QObject* target, unsigned msg) const {
        return target == target_ && msg == msg_;
    }

    void BeginPass() { inPass_ = true; }
    // A pass is under way on this thread, and may send more at once.
    bool InPass() const;
    bool PassHasRoom() const { return InPass() && sentInPass_ < SendBurst; }
    // Sends what the pass made due. unbounded: no burst applies (a listener takes every
    // connection that waits). False when the owner was destroyed by a handler meanwhile.
    bool EndPass(std::unique_lock<std::mutex>& guard, bool unbounded);

    void Notify(int event, int error);
    // The selection ends: what is due is posted, as what was posted before still arrives.
    void PostDue();

private:
    void Post(std::uint32_t lParam);

    QObject& owner_;
    const QPointer<QObject> target_;
    const unsigned msg_;
    const TSocket s_;
    const QueuedMessage::Count queued_;
    std::vector<std::uint32_t> due_;
    bool inPass_ = false;
    int sentInPass_ = 0;
};

} // namespace zintra
