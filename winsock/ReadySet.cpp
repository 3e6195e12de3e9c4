#include "winsock/ReadySet.h"

#include "winsock/AsyncSelection.h"

#include <cerrno>
#include <unistd.h>

namespace zintra {

namespace {

// How many readinesses one pass takes from the kernel; more wait for the next pass.
constexpr int PassEvents = 256;

thread_local ReadySet* threadSet = nullptr;

// What epoll watches for a number another selection had: nothing, or what it watched for.
constexpr std::uint32_t Unknown = ~std::uint32_t(0);

std::uint64_t Tag(TSocket s, std::uint32_t generation) {
    return std::uint64_t(generation) << 32 | std::uint32_t(s);
}

// Generations grow; a selection older than the one that watches a number has been replaced.
bool Older(std::uint32_t generation, std::uint32_t than) {
    return std::int32_t(generation - than) < 0;
}

} // namespace

ReadySet* ReadySet::Join() {
    if (!threadSet) {
        const int epoll = ::epoll_create1(EPOLL_CLOEXEC);
        if (epoll < 0) {
            return nullptr;
        }
        threadSet = new ReadySet(epoll);
    }
    ++threadSet->users_;
    return threadSet;
}

ReadySet::ReadySet(int epoll) : epoll_(epoll), notifier_(epoll_, QSocketNotifier::Read) {
    connect(&notifier_, &QSocketNotifier::activated, this, &ReadySet::Dispatch);
}

ReadySet::~ReadySet() {
    notifier_.setEnabled(false);
    ::close(epoll_);
    threadSet = nullptr;
}

bool ReadySet::Watch(TSocket s, AsyncSelection* selection, std::uint32_t generation,
                     std::uint32_t events, bool lazy) {
    if (s < 0) {
        errno = EBADF;
        return false;
    }
    if (std::size_t(s) >= entries_.size()) {
        entries_.resize(std::size_t(s) + 1);
    }
    Entry& entry = entries_[std::size_t(s)];
    if (entry.selection != selection || entry.generation != generation) {
        if (entry.selection && Older(generation, entry.generation)) {
            return true;
        }
        // A new selection of the number: of the same socket, which epoll may still watch, or
        // of a new one, which it does not.
        entry = Entry{selection, generation, entry.selection ? Unknown : 0};
        lazy = false;
    }
    return Apply(s, entry, events | (lazy ? entry.events & ReadEvents : 0));
}

bool ReadySet::Apply(TSocket s, Entry& entry, std::uint32_t events) {
    if (events == entry.events) {
        return true;
    }
    epoll_event watch{events, {.u64 = Tag(s, entry.generation)}};
    if (events == 0) {
        // Gone already when the socket left at once or was closed.
        ::epoll_ctl(epoll_, EPOLL_CTL_DEL, s, &watch);
    } else if (int result = ::epoll_ctl(epoll_, entry.events == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD,
                                        s, &watch);
               result != 0) {
        // Watched already, or not at all, as a closed socket's number was taken again by the
        // socket of a new selection. The socket a selection watched gone from the set was
        // closed outside the layer: the number is another's now, which it must not watch.
        if (errno == EEXIST || (errno == ENOENT && entry.events == Unknown)) {
            result =
                ::epoll_ctl(epoll_, errno == EEXIST ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, s, &watch);
        } else if (errno == ENOENT) {
            errno = EBADF;
        }
        if (result != 0) {
            const int error = errno;
            entry.events = 0;
            ::epoll_ctl(epoll_, EPOLL_CTL_DEL, s, &watch);
            errno = error;
            return false;
        }
    }
    entry.events = events;
    return true;
}

void ReadySet::Leave(TSocket s) const {
    epoll_event none{};
    ::epoll_ctl(epoll_, EPOLL_CTL_DEL, s, &none);
}

void ReadySet::Forget(TSocket s, std::uint32_t generation) {
    if (s >= 0 && std::size_t(s) < entries_.size()) {
        Entry& entry = entries_[std::size_t(s)];
        if (entry.selection && entry.generation == generation) {
            Apply(s, entry, 0);
            entry = Entry{};
        }
    }
    --users_;
    DeleteWhenUnused();
}

void ReadySet::DeleteWhenUnused() {
    if (users_ == 0 && draining_ == 0) {
        delete this;
    }
}

void ReadySet::Dispatch() {
    epoll_event ready[PassEvents];
    const int count = ::epoll_wait(epoll_, ready, PassEvents, 0);
    noticed_.insert(noticed_.end(), ready, ready + std::max(count, 0));
    Drain();
    DeleteWhenUnused();
}

void ReadySet::Drain() {
    ++draining_;
    while (!noticed_.empty()) {
        const epoll_event ready = noticed_.front();
        noticed_.pop_front();
        const auto s = TSocket(std::uint32_t(ready.data.u64));
        const auto generation = std::uint32_t(ready.data.u64 >> 32);
        if (std::size_t(s) < entries_.size()) {
            const Entry& entry = entries_[std::size_t(s)];
            if (entry.selection && entry.generation == generation) {
                entry.selection->Ready(ready.events);
            }
        }
    }
    --draining_;
}

} // namespace zintra
