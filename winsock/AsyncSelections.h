#pragma once

#include "winsock/SocketFacts.h"
#include "winsock/WinSock.h"

#include <mutex>
#include <unordered_map>

namespace zintra {

class AsyncSelection;
class ReadAhead;

// WSAAsyncSelect on POSIX sockets. Each selected socket is watched by the readiness set of its
// target's thread, and its events are sent as TSockMessage under WinSock's re-enabling rules:
// once sent, an event is not sent again until the call that re-enables it (recv or recvfrom for
// FD_READ, accept for FD_ACCEPT, a send that would block for FD_WRITE). The set stops watching
// for an event that is outstanding, so nothing spins while the application has not answered.
//
// A notification reaches the target from the readiness set's own pass of the event loop, unless
// one of the socket's earlier notifications still waits in the target's event queue: then it is
// posted behind it. A connection's data is read into the read-ahead as it is noticed.
class AsyncSelections {
public:
    explicit AsyncSelections(ReadAhead& readAhead) : readAhead_(readAhead) {}
    AsyncSelections(const AsyncSelections&) = delete;
    AsyncSelections& operator=(const AsyncSelections&) = delete;

    // Replaces the selection of s; mask 0 only ends it. An errno value when the readiness set
    // of the caller's thread, the target's, cannot watch s; the selection is then ended.
    int Select(TSocket s, QObject* target, unsigned msg, long mask);
    // s was closed, or is about to be: its notifications end.
    void End(TSocket s);

    // The re-enabling calls, each told after it was made. filled: the read took all it asked
    // for from the socket, so more may wait.
    void Received(TSocket s, bool filled);
    // failed: accept took no connection, though one waits; asking again at once would spin.
    void Accepted(TSocket s, bool failed);
    // accept made the connection s: it is one even if it failed before it was selected.
    void Connection(TSocket s);
    void SendWouldBlock(TSocket s);
    void Listening(TSocket s);
    // A connect was started (or made at once): FD_CONNECT follows once it has ended.
    void Connecting(TSocket s);

private:
    template <typename Change> void Update(TSocket s, Change change);

    ReadAhead& readAhead_;
    std::mutex lock_;
    std::unordered_map<TSocket, AsyncSelection*> selections_;
    SocketFacts facts_;
};

} // namespace zintra
