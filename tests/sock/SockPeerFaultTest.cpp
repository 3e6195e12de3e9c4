#include "tests/support/SockTestSupport.h"

#include <QPointer>
#include <gtest/gtest.h>

namespace zintra {

// A handler that deletes its sender ends the component's part: nothing of it is touched after,
// whichever event or report the handler answers.
TEST(SockHandlerDestroysSender, InEveryNonBlockingEvent) {
    for (const std::string event :
         {"OnDisconnect", "OnWrite", "OnRead", "Non-Blocking Incoming Data",
          "Non-Blocking Outgoing Data", "Socket Closed"}) {
        TcpPair pair = MakeTcpPair();
        QPointer<TSock> sock = new TSock(nullptr);
        const auto destroy = [sock](QObject*) { delete sock.data(); };
        sock->OnDisconnect = event == "OnDisconnect" ? destroy : TNotifyEvent();
        sock->OnWrite = event == "OnWrite" ? destroy : TNotifyEvent();
        sock->OnRead = [&](QObject* sender, std::int32_t) {
            if (event == "OnRead") {
                destroy(sender);
            }
        };
        sock->OnInfo = [&](QObject* sender, TSocketInfo, const std::string& text) {
            if (text == event) {
                destroy(sender);
            }
        };
        sock->Attach(pair.server.Release());
        WriteAll(pair.client.Get(), "x");
        pair.client.Reset();
        EXPECT_TRUE(PumpUntil([&] { return sock.isNull(); })) << event;
        delete sock.data();
    }
}

TEST(SockHandlerDestroysSender, InABlockingReceive) {
    TcpPair pair = MakeTcpPair();
    auto* sock = new TSock(nullptr);
    sock->SetBlocking(true);
    sock->SetBlockingTimeout(-1);
    sock->Attach(pair.server.Release());
    bool destroyed = false;
    sock->OnDisconnect = [&](QObject* sender) {
        destroyed = true;
        delete sender;
    };
    pair.client.Reset();
    EXPECT_EQ(sock->Receive(-1), "");
    EXPECT_TRUE(destroyed);
}

} // namespace zintra
