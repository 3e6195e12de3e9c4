#include "sock/SockApplication.h"
#include "tests/support/SockTestSupport.h"
#include "winsock/SockMessage.h"

#include <QCoreApplication>
#include <QThread>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>

namespace zintra {

namespace {

// A non-blocking listener on a free port of its own, and every component it accepted.
class SockAccept : public testing::Test {
protected:
    SockAccept() {
        log_.Watch(listener_);
        listener_.SetPortName("0");
        listener_.SetAutoAccept(true);
        listener_.OnAutoAccept = [this](QObject*, TSock* sock) {
            accepted_.push_back(sock);
            acceptThreads_.push_back(QThread::currentThread());
            logAtAccept_ = log_.Texts();
        };
    }

    void StartListening() {
        listener_.SetListen(true);
        port_ = ListeningPort(listener_);
        log_.Clear();
    }

    // A client connected and accepted, once its component has heard that it can send.
    Fd Connect() {
        Fd client = ConnectTo(port_);
        const std::size_t before = accepted_.size();
        EXPECT_TRUE(PumpUntil([&] {
            const std::vector<std::string> texts = log_.Texts();
            return accepted_.size() > before && !texts.empty() &&
                   texts.back() == "Non-Blocking Outgoing Data";
        }));
        return client;
    }

    InfoLog log_;
    TSock listener_{nullptr};
    std::uint16_t port_ = 0;
    std::vector<TSock*> accepted_;
    std::vector<QThread*> acceptThreads_;
    std::vector<std::string> logAtAccept_;
};

} // namespace

TEST_F(SockAccept, AcceptsOnTheWindowThreadIntoAComponentLikeTheListener) {
    QObject form;
    SetApplicationFirstForm(&form);
    listener_.SetLocalPortName("4321");
    listener_.SetBlockingTimeout(9);
    int reads = 0;
    listener_.OnRead = [&](QObject*, std::int32_t) { ++reads; };
    StartListening();
    Fd client = Connect();
    SetApplicationFirstForm(nullptr);

    EXPECT_EQ(logAtAccept_,
              (std::vector<std::string>{"Setting PortName While Connected Has No Effect",
                                        "Setting LocalPortName While Connected Has No Effect",
                                        "Setting HostName While Connected Has No Effect"}));
    EXPECT_EQ(acceptThreads_, std::vector<QThread*>{QThread::currentThread()});
    TSock& sock = *accepted_.at(0);
    EXPECT_EQ(sock.parent(), &listener_);
    EXPECT_EQ(sock.ParentControl(), &form);
    EXPECT_TRUE(sock.Connected());
    EXPECT_FALSE(sock.Blocking());
    EXPECT_EQ(sock.BlockingTimeout(), 9);
    EXPECT_EQ(sock.HostName(), "127.0.0.1");
    EXPECT_EQ(sock.PortName(), "0");
    EXPECT_EQ(sock.LocalPortName(), "4321");
    EXPECT_EQ(sock.PeerAddr().sin_addr, 0u);
    EXPECT_EQ(ntohs(listener_.PeerAddr().sin_port), LocalPort(client.Get()));
    EXPECT_EQ(listener_.PeerAddressText(), "127.0.0.1");
    EXPECT_FALSE(sock.AutoAccept());
    EXPECT_FALSE(sock.OnAutoAccept);

    WriteAll(client.Get(), "hello");
    ASSERT_TRUE(PumpUntil([&] { return reads == 1; }));
    EXPECT_EQ(sock.Receive(-1), "hello");
    for (bool value : {true, false}) {
        EXPECT_EQ(FailureOf([&] { sock.SetListen(value); }), "Listen - Socket Already In Use");
    }
}

// Without an OnAutoAccept handler nothing is accepted, and WinSock says so only once.
TEST_F(SockAccept, WithoutAnAutoAcceptHandlerOnlyOnAcceptIsRaisedOnce) {
    listener_.OnAutoAccept = nullptr;
    int accepts = 0;
    listener_.OnAccept = [&](QObject*) { ++accepts; };
    StartListening();
    Fd first = ConnectTo(port_), second = ConnectTo(port_);
    ASSERT_TRUE(PumpUntil([&] { return accepts == 1; }));
    PumpFor(200);
    EXPECT_EQ(accepts, 1);
    EXPECT_TRUE(listener_.children().empty());
}

TEST_F(SockAccept, ReadCountsAccumulateUntilReceived) {
    std::vector<std::int32_t> counts;
    listener_.OnRead = [&](QObject*, std::int32_t count) { counts.push_back(count); };
    StartListening();
    Fd client = Connect();
    WriteAll(client.Get(), "0123456789");
    ASSERT_TRUE(PumpUntil([&] { return counts.size() == 1; }));
    WriteAll(client.Get(), "abcde");
    ASSERT_TRUE(PumpUntil([&] { return counts.size() == 2; }));
    EXPECT_EQ(counts, (std::vector<std::int32_t>{10, 15}));
    EXPECT_EQ(accepted_[0]->Receive(-1), "0123456789abcde");
}

TEST_F(SockAccept, WriteNotificationDrainsWhatASendLeftBehind) {
    int writes = 0;
    listener_.OnWrite = [&](QObject*) { ++writes; };
    StartListening();
    Fd client = Connect();
    TSock& sock = *accepted_[0];
    EXPECT_EQ(writes, 1); // the connection can send
    const std::string data = AllByteValues(16 << 20);
    sock.Send(data);
    ASSERT_FALSE(sock.OutBuffer().Empty()) << "the socket took everything at once";

    std::string received;
    std::thread reader([&] { received = ReadUntilClosed(client.Get()); });
    const bool drained = PumpUntil([&] { return sock.OutBuffer().Empty(); }, 30000);
    sock.Close();
    reader.join();
    EXPECT_TRUE(drained);
    EXPECT_GE(writes, 2);
    EXPECT_TRUE(received == data);
}

TEST_F(SockAccept, PeerCloseComesAfterItsDataAndClosesTheComponent) {
    std::vector<std::string> events;
    listener_.OnRead = [&](QObject* sender, std::int32_t) {
        events.push_back("read " + static_cast<TSock*>(sender)->Receive(-1));
    };
    listener_.OnDisconnect = [&](QObject*) { events.push_back("disconnect"); };
    StartListening();
    Fd client = Connect();
    log_.Clear();
    WriteAll(client.Get(), "bye");
    client.Reset();
    ASSERT_TRUE(PumpUntil([&] { return accepted_[0]->SocketHandle() == INVALID_SOCKET; }));
    EXPECT_EQ(events, (std::vector<std::string>{"read bye", "disconnect"}));
    EXPECT_FALSE(accepted_[0]->Connected());
    EXPECT_EQ(log_.Texts().back(), "Socket Closed");
}

// A reset connection cannot be used again: it is reported, then ends as a closed one does.
TEST_F(SockAccept, PeerResetIsReportedThenEndsTheConnection) {
    bool disconnected = false;
    listener_.OnDisconnect = [&](QObject*) { disconnected = true; };
    StartListening();
    Fd client = Connect();
    log_.Clear();
    ResetAndClose(client);
    ASSERT_TRUE(PumpUntil([&] { return accepted_[0]->SocketHandle() == INVALID_SOCKET; }));
    EXPECT_EQ(log_.Texts(),
              (std::vector<std::string>{"Error #10054 (WSAECONNRESET)", "Socket Closed"}));
    EXPECT_TRUE(disconnected);
    EXPECT_FALSE(accepted_[0]->Connected());
}

// Error words above 10000 are reported and, but for FD_CLOSE, change nothing; 10000 itself means
// no error.
TEST_F(SockAccept, ErrorWordsAboveTenThousandAreReportedOnly) {
    struct Case {
        int event, error;
        const char* report;
        bool connected;
    };
    const Case cases[] = {
        {FD_CONNECT, 10061, "Error #10061 (WSAECONNREFUSED)", false},
        {FD_CONNECT, 10100, "Error #10100 (UNKNOWN ERROR)", false},
        {FD_CONNECT, 10001, "Error #10001 (UNKNOWN ERROR)", false},
        {FD_READ, 10054, "Error #10054 (WSAECONNRESET)", false},
        {FD_CONNECT, 10000, "Non-Blocking Socket Connected", true},
        {FD_CONNECT, 0, "Non-Blocking Socket Connected", true},
    };
    for (const Case& c : cases) {
        InfoLog info;
        int connects = 0;
        TSock sock(nullptr);
        info.Watch(sock);
        sock.OnConnect = [&](QObject*) { ++connects; };
        TSockMessage message(WM_SOCK, 5, TSockMessage::MakeLParam(c.event, c.error));
        QCoreApplication::sendEvent(&sock, &message);
        EXPECT_EQ(info.Texts(), std::vector<std::string>{c.report}) << c.error;
        EXPECT_EQ(sock.Connected(), c.connected) << c.error;
        EXPECT_EQ(connects, c.connected ? 1 : 0) << c.error;
    }
}

// A notification that arrives after its socket was closed meets the component as it is then.
TEST_F(SockAccept, LateNotificationsMeetTheClosedComponent) {
    std::vector<std::int32_t> counts;
    listener_.OnRead = [&](QObject*, std::int32_t count) { counts.push_back(count); };
    StartListening();
    Fd client = Connect();
    TSock& sock = *accepted_[0];
    sock.Close();
    log_.Clear();
    for (int event : {FD_READ, FD_WRITE}) {
        TSockMessage message(WM_SOCK, 5, TSockMessage::MakeLParam(event, 0));
        QCoreApplication::sendEvent(&sock, &message);
    }
    EXPECT_EQ(counts, std::vector<std::int32_t>{0});
    EXPECT_EQ(log_.Texts(), (std::vector<std::string>{"Non-Blocking Incoming Data",
                                                      "Non-Blocking Outgoing Data"}));
}

// A failure in the handling of a notification goes to the application's view, not into Qt.
TEST_F(SockAccept, HandlerFailuresGoToTheApplicationsView) {
    std::vector<std::string> shown;
    SetNotificationFailureView([&](const std::exception& e) { shown.push_back(e.what()); });
    listener_.OnAutoAccept = [](QObject*, TSock* sock) {
        sock->Receive(-1), throw ESockException("Handler - Failed");
    };
    StartListening();
    Fd client = ConnectTo(port_);
    const bool seen = PumpUntil([&] { return !shown.empty(); });
    SetNotificationFailureView(nullptr);
    ASSERT_TRUE(seen);
    EXPECT_EQ(shown, std::vector<std::string>{"Handler - Failed"});
}

TEST_F(SockAccept, DestroyingTheListenerClosesItsConnections) {
    InfoLog info;
    auto* owned = new TSock(nullptr);
    info.Watch(*owned);
    owned->SetPortName("0");
    owned->SetAutoAccept(true);
    owned->OnAutoAccept = [](QObject*, TSock*) {};
    owned->SetListen(true);
    const std::uint16_t ownedPort = ListeningPort(*owned);
    Fd first = ConnectTo(ownedPort), second = ConnectTo(ownedPort);
    ASSERT_TRUE(PumpUntil([&] { return owned->children().size() == 2; }));
    info.Clear();
    delete owned;
    EXPECT_EQ(info.Texts(), (std::vector<std::string>{"Socket Closed", "Socket Closed"}));
    EXPECT_EQ(ReadUntilClosed(first.Get()), "");
    EXPECT_EQ(ReadUntilClosed(second.Get()), "");
}

// Out of descriptors, accept keeps failing: each failure is reported, makes no component,
// and the listener waits a little before it asks again instead of spinning.
TEST_F(SockAccept, FailingAcceptsReportMakeNothingAndDoNotSpin) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers' runtime needs free descriptors of its own";
#endif
    StartListening();
    Fd client = ConnectTo(port_);
    rlimit limits{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limits), 0);
    Fd probe(::dup(0));
    rlimit starved = limits;
    starved.rlim_cur = rlim_t(probe.Get()); // every descriptor from here on is taken
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &starved), 0);
    const double cpuBefore = ProcessCpuSeconds();
    PumpFor(1000);
    const double cpuUsed = ProcessCpuSeconds() - cpuBefore;
    ::setrlimit(RLIMIT_NOFILE, &limits);

    const std::vector<std::string> failures = log_.Texts();
    ASSERT_FALSE(failures.empty());
    EXPECT_EQ(failures[0], "Error #10024 (WSAEMFILE)");
    EXPECT_LE(failures.size(), 15u);
    EXPECT_LT(cpuUsed, 0.3);
    EXPECT_TRUE(accepted_.empty());
    ASSERT_TRUE(PumpUntil([&] { return accepted_.size() == 1; }));
}

TEST_F(SockAccept, AnIdleListenerWithIdleConnectionsUsesNoCpu) {
    StartListening();
    Fd client = Connect();
    listener_.OnAutoAccept = nullptr; // the next connection waits unaccepted
    Fd waiting = ConnectTo(port_);
    PumpFor(100);
    const double cpuBefore = ProcessCpuSeconds();
    PumpFor(1000);
    EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.05);
}

} // namespace zintra
