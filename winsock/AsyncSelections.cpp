#include "winsock/AsyncSelections.h"

#include "winsock/AsyncSelection.h"

#include <sys/stat.h>
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
        if (const int error = previous->ResetTold(); error != 0) {
            resets_[s] = {previous->Identity(), error};
        }
        previous->End();
    }
    if (mask == 0) {
        return 0;
    }
    // Notifications the previous selection posted still count: none overtakes them.
    auto* selection = new AsyncSelection(lock_, readAhead_, s, FromAccept(s), target, msg, mask,
                                         std::move(queued));
    if (const int error = selection->Start(); error != 0) {
        selection->End();
        return error;
    }
    if (const int reset = ResetTold(s); reset != 0) {
        selection->TellReset(reset);
    }
    selections_.emplace(s, selection);
    return 0;
}

void AsyncSelections::End(TSocket s) {
    std::lock_guard guard(lock_);
    accepted_.erase(s);
    resets_.erase(s);
    if (const auto it = selections_.find(s); it != selections_.end()) {
        AsyncSelection* selection = it->second;
        selections_.erase(it);
        selection->End();
    }
}

void AsyncSelections::Connection(TSocket s) {
    struct stat identity {};
    if (::fstat(s, &identity) == 0) {
        std::lock_guard guard(lock_);
        accepted_[s] = identity.st_ino;
    }
}

bool AsyncSelections::FromAccept(TSocket s) {
    const auto it = accepted_.find(s);
    struct stat identity {};
    return it != accepted_.end() && ::fstat(s, &identity) == 0 && identity.st_ino == it->second;
}

int AsyncSelections::ResetTold(TSocket s) {
    const auto it = resets_.find(s);
    struct stat identity {};
    if (it == resets_.end()) {
        return 0;
    }
    if (::fstat(s, &identity) != 0 || identity.st_ino != it->second.identity) {
        resets_.erase(it);
        return 0;
    }
    return it->second.error;
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
