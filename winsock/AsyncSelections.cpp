#include "winsock/AsyncSelections.h"

#include "winsock/AsyncSelection.h"
#include "winsock/SocketIdentity.h"

#include <utility>

namespace zintra {

int AsyncSelections::Select(TSocket s, QObject* target, unsigned msg, long mask) {
    std::lock_guard guard(lock_);
    AsyncSelection* previous = nullptr;
    if (const auto it = selections_.find(s); it != selections_.end()) {
        if (mask != 0 && it->second->Reselect(target, msg, mask)) {
            return 0;
        }
        previous = it->second;
        selections_.erase(it);
    }
    // The count outlives the previous selection, which may be deleted as it ends.
    QueuedMessage::Count queued =
        previous ? previous->Queued() : std::make_shared<std::atomic<int>>(0);
    if (previous) {
        previous->End();
    }
    if (mask == 0) {
        return 0;
    }
    // Notifications the previous selection posted still count: none overtakes them.
    auto* selection =
        new AsyncSelection(lock_, readAhead_, facts_, s, target, msg, mask, std::move(queued));
    if (const int error = selection->Start(); error != 0) {
        selection->End();
        return error;
    }
    selections_.emplace(s, selection);
    return 0;
}

void AsyncSelections::End(TSocket s) {
    std::lock_guard guard(lock_);
    facts_.Forget(s);
    if (const auto it = selections_.find(s); it != selections_.end()) {
        AsyncSelection* selection = it->second;
        selections_.erase(it);
        selection->End();
    }
}

void AsyncSelections::Connection(TSocket s) {
    if (const ino_t identity = IdentityOf(s); identity != 0) {
        std::lock_guard guard(lock_);
        facts_.Accepted(s, identity);
    }
}

template <typename Change> void AsyncSelections::Update(TSocket s, Change change) {
    std::lock_guard guard(lock_);
    if (const auto it = selections_.find(s); it != selections_.end()) {
        change(*it->second);
    }
}

void AsyncSelections::Received(TSocket s, bool filled) {
    Update(s, [filled](AsyncSelection& selection) { selection.Received(filled); });
}

void AsyncSelections::Accepted(TSocket s, bool failed) {
    Update(s, [failed](AsyncSelection& selection) { selection.Accepted(failed); });
}

void AsyncSelections::SendWouldBlock(TSocket s) {
    Update(s, [](AsyncSelection& selection) { selection.SendWouldBlock(); });
}

void AsyncSelections::Listening(TSocket s) {
    Update(s, [](AsyncSelection& selection) { selection.Listening(); });
}

void AsyncSelections::Connecting(TSocket s) {
    Update(s, [](AsyncSelection& selection) { selection.Connecting(); });
}

} // namespace zintra
