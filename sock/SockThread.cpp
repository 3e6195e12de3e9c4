#include "sock/SockThread.h"

#include "sock/Sock.h"

TSockThread::~TSockThread() {
    if (thread.joinable())
        thread.join();
}

void TSockThread::Start(TSock* listener, TSock* newSock) {
    Listener = listener;
    NewSock = newSock;
    newSockAlive = newSock;
    handler = listener->OnAutoAccept;
    thread = std::thread([this] { Execute(); });
}

void TSockThread::AbortConnection() {
    if (newSockAlive)
        newSockAlive->AbortConnection();
}

void TSockThread::Execute() {
    // A failing handler ends the run; nothing reports it, and the thread is released all the same.
    try {
        handler(Listener, NewSock);
    } catch (...) {
    }
    QMetaObject::invokeMethod(
        Listener, [notice = OnTerminate] { notice(); }, Qt::QueuedConnection);
}
