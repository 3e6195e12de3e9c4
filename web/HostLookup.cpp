#include "web/HostLookup.h"

#include "winsock/WinSock.h"

#include <mutex>
#include <thread>

namespace zintra {

// Shared by the window thread and the look-up thread: the object the answer goes to, cleared
// when the look-up is abandoned.
struct HostLookup::Pending {
    std::mutex mutex;
    HostLookup* target = nullptr;
};

HostLookup::~HostLookup() {
    Cancel();
}

void HostLookup::Start(const std::string& name) {
    Cancel();
    pending_ = std::make_shared<Pending>();
    pending_->target = this;
    std::thread([pending = pending_, name] {
        std::optional<std::string> address;
        WinSock& layer = WinSockLayer();
        if (const std::optional<HostEntry> entry = layer.gethostbyname(name);
            entry && !entry->h_addr_list.empty()) {
            address = layer.inet_ntoa(entry->h_addr_list.front());
        }
        const std::lock_guard lock(pending->mutex);
        // Posted while the target lives; an event still queued when it dies goes with it.
        if (HostLookup* target = pending->target) {
            QMetaObject::invokeMethod(
                target,
                [target, pending, address] {
                    if (target->pending_ == pending) {
                        target->pending_.reset();
                        if (target->OnDone) {
                            target->OnDone(address);
                        }
                    }
                },
                Qt::QueuedConnection);
        }
    }).detach();
}

void HostLookup::Cancel() {
    if (pending_) {
        const std::lock_guard lock(pending_->mutex);
        pending_->target = nullptr;
    }
    pending_.reset();
}

} // namespace zintra
