#pragma once

#include "sock/SockTypes.h"

#include <QPointer>
#include <atomic>
#include <thread>

namespace zintra {

class TSock;

// The accept thread of a blocking listener: runs the listener's OnAutoAccept handler for one
// accepted connection on a thread of its own. When the run has ended, a termination notice to the
// listener, on its thread, releases the thread object.
class TSockThread {
public:
    TSockThread() = default;
    // Waits for the run to end.
    ~TSockThread();
    TSockThread(const TSockThread&) = delete;
    TSockThread& operator=(const TSockThread&) = delete;

    void Start(TSock* listener, TSock* newSock);
    // Shuts the connection down, so that blocking calls of the handler on it return.
    void AbortConnection();
    // The handler has returned; the termination notice follows, and the thread ends.
    bool Finished() const { return finished_; }

    TSock* Listener = nullptr;
    TSock* NewSock = nullptr;

private:
    void Execute();

    // The handler as it was when the thread started: the listener's field may change meanwhile.
    TNotifyAutoEvent handler_;
    // Tells the window thread whether the application has destroyed NewSock.
    QPointer<TSock> newSockAlive_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

} // namespace zintra
