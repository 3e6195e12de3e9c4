#pragma once

#include "winsock/WinSock.h"

#include <QObject>
#include <QSocketNotifier>
#include <cstdint>
#include <deque>
#include <sys/epoll.h>
#include <vector>

namespace zintra {

class AsyncSelection;

// The kernel readiness set (epoll) of one thread's selections, watched by a single socket
// notifier on its descriptor, so that a pass of the event loop costs what is ready, not what is
// open, in whatever event loop the thread runs. Each socket is watched for its selection under
// that selection's generation: a readiness noticed for a socket that has since been closed, and
// whose number a new socket took in the same pass, reaches nobody. Used on its thread only; it
// lives while it watches for a selection.
class ReadySet : public QObject {
public:
    static constexpr std::uint32_t ReadEvents = EPOLLIN | EPOLLRDHUP;

    // The set of the calling thread, made on first use; the caller uses it until it calls
    // Forget. Null, with errno set, when the system gives no set.
    static ReadySet* Join();

    // Watches s for events on behalf of selection (0: for nothing). lazy: a read interest that
    // is no longer wanted stays until it next shows, since most are wanted again before that.
    // False, with errno set, when the system refuses to watch it.
    bool Watch(TSocket s, AsyncSelection* selection, std::uint32_t generation, std::uint32_t events,
               bool lazy);
    // Stops watching s at once, from any thread: a socket about to be closed whose descriptor
    // has a duplicate would otherwise go on being reported.
    void Leave(TSocket s) const;
    // The selection that joined lets s go; the set goes with its last selection.
    void Forget(TSocket s, std::uint32_t generation);

private:
    struct Entry {
        AsyncSelection* selection = nullptr;
        std::uint32_t generation = 0;
        std::uint32_t events = 0; // what epoll watches for
    };

    explicit ReadySet(int epoll);
    ~ReadySet() override;

    void Dispatch();
    // Hands what was noticed to the selections. A handler that runs an event loop of its own
    // (a modal dialog, a wait) does not hold the other sockets' notifications back: what they
    // wait for is still ready, so the set's descriptor is, and the loop it runs dispatches
    // again, handing out the rest of this pass with what it notices.
    void Drain();
    bool Apply(TSocket s, Entry& entry, std::uint32_t events);
    void DeleteWhenUnused();

    const int epoll_;
    QSocketNotifier notifier_;
    std::vector<Entry> entries_; // by socket number
    std::size_t users_ = 0;
    std::deque<epoll_event> noticed_;
    int draining_ = 0;
};

} // namespace zintra
