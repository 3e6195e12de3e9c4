#pragma once

#include "examples/sockecho/EchoOptions.h"
#include "sock/SockTypes.h"

#include <QTimer>
#include <atomic>
#include <memory>
#include <mutex>

namespace zintra {

class TSock;

// An echo server over one listening TSock that accepts every connection. Non-blocking, each
// connection echoes what its OnRead brings; blocking, each is served on its accept thread.
class EchoServer {
public:
    explicit EchoServer(const EchoOptions& options);
    ~EchoServer();

    // Starts listening; raises the listener's failure, with the system's reason, when it cannot.
    void Start();
    // Stops listening and closes every connection, waiting for the accept threads.
    void Stop();

private:
    void Report(TSocketInfo kind, const std::string& text);
    void ServeBlocking(TSock* sock);
    // A connection has ended, on any thread: once the server is quiet for a moment, what the
    // connections held goes back to the system.
    void ConnectionEnded();

    bool quiet_;
    bool verbose_;
    QTimer quietMoment_;
    std::mutex output_;
    std::atomic<bool> acceptFailureTold_{false}; // and no connection has ended since
    std::unique_ptr<TSock> listener_;
};

} // namespace zintra
