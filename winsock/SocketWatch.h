#pragma once

#include "winsock/WinSock.h"

#include <cstdint>

namespace zintra {

class AsyncSelection;
class ReadySet;

// A selection's registration in the readiness set of its thread: what the set watches the socket
// for (epoll events), changed in place, so that holding and resuming reading costs a change of
// interest, not a new registration. Its generation tells it from any earlier or later selection
// of the same number. Used on the selection's thread, except Leave.
class SocketWatch {
public:
    SocketWatch(TSocket s, AsyncSelection& selection);
    ~SocketWatch();
    SocketWatch(const SocketWatch&) = delete;
    SocketWatch& operator=(const SocketWatch&) = delete;

    // lazy: a read interest no longer wanted may stay until it next shows, since most are wanted
    // again before that. 0, or what the system refused (an errno value).
    int Watch(std::uint32_t events, bool lazy);
    // Stops the watch at once, from any thread, before the socket closes: a duplicate of its
    // descriptor would keep it reported to a selection that no longer answers.
    void Leave() const;

private:
    const TSocket s_;
    AsyncSelection& selection_;
    const std::uint32_t generation_;
    ReadySet* set_ = nullptr; // joined at the first interest
};

} // namespace zintra
