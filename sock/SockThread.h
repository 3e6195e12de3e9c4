#pragma once

#include "sock/SockTypes.h"

#include <QPointer>
#include <atomic>
#include <functional>
#include <thread>

namespace zintra {

class TSock;

// The accept thread of a blocking listener: runs the listener's OnAutoAccept handler for one
// accepted connection on a thread of its own. When the run has ended, OnTerminate is called on
// the listener's thread, which then releases the thread object.
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
    // The handler has returned and the termination notice is posted; the thread is about to end.
    bool Finished() const { return finished_; }

    TSock* Listener = nullptr;
    TSock* NewSock = nullptr;
    std::function<void()> OnTerminate;

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
