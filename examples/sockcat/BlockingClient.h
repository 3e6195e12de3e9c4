#pragma once

#include "examples/sockcat/CatOptions.h"
#include "examples/sockcat/Console.h"
#include "sock/Sock.h"

namespace zintra {

// sockcat with blocking calls. One thread waits for standard input and the socket together and
// calls Send or Receive only when that call can go on at once, so neither side waits for the
// other.
class BlockingClient {
public:
    explicit BlockingClient(const CatOptions& options);

    // The exit status; a failure's text goes to standard error.
    int Run();

private:
    void CopyStream();
    void Send(const std::string& bytes);
    bool PeerClosed();
    void ExchangeDatagrams();

    TSock sock_{nullptr};
    bool udp_;
};

} // namespace zintra
