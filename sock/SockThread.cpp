#include "sock/SockThread.h"

#include "sock/Sock.h"

namespace zintra {

TSockThread::~TSockThread() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TSockThread::Start(TSock* listener, TSock* newSock) {
    Listener = listener;
    NewSock = newSock;
    newSockAlive_ = newSock;
    handler_ = listener->OnAutoAccept;
    thread_ = std::thread([this] { Execute(); });
}

void TSockThread::AbortConnection() {
    if (newSockAlive_) {
        newSockAlive_->AbortConnection();
    }
}

void TSockThread::Execute() {
    // A failing handler ends the run; nothing reports it, and the thread is released all the same.
    try {
        handler_(Listener, NewSock);
    } catch (...) {
    }
    finished_ = true;
    std::lock_guard guard(NoticeLock());
    QMetaObject::invokeMethod(
        Listener, [notice = OnTerminate] { notice(); }, Qt::QueuedConnection);
}

std::mutex& TSockThread::NoticeLock() {
    static std::mutex lock;
    return lock;
}

} // namespace zintra
