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
    // Finished before the notice, which releases the finished threads. The notice carries no
    // data of its own: it is handed over by Qt alone.
    finished_ = true;
    QMetaObject::invokeMethod(Listener, "ReleaseFinishedAcceptThreads", Qt::QueuedConnection);
}

} // namespace zintra
