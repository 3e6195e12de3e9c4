#include "tests/support/SockTestSupport.h"

#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <sys/socket.h>
#include <thread>

namespace zintra {

namespace {

// A blocking listener whose handler serves each connection as an echo on its accept thread.
class SockAcceptThread : public testing::Test {
protected:
    SockAcceptThread() { port_ = ServeEchoes(*listener_); }

    std::uint16_t ServeEchoes(TSock& listener) {
        listener.SetPortName("0");
        listener.SetAutoAccept(true);
        listener.SetBlocking(true);
        listener.SetBlockingTimeout(-1);
        listener.OnAutoAccept = [this](QObject* sender, TSock* sock) {
            {
                std::lock_guard guard(lock_);
                served_.push_back({sender, sock, std::this_thread::get_id(), sock->Blocking()});
            }
            while (sock->Connected()) {
                if (const std::string data = sock->Receive(-1); !data.empty()) {
                    sock->Send(data);
                }
            }
            ++finished_;
        };
        listener.SetListen(true);
        return ListeningPort(listener);
    }

    std::size_t ServedCount() {
        std::lock_guard guard(lock_);
        return served_.size();
    }

    struct Served {
        QObject* sender;
        TSock* sock;
        std::thread::id thread;
        bool blocking;
    };
    std::mutex lock_;
    std::vector<Served> served_;
    std::atomic<int> finished_{0};
    std::unique_ptr<TSock> listener_ = std::make_unique<TSock>(nullptr);
    std::uint16_t port_ = 0;
};

std::string Echoed(Fd& client, const std::string& text) {
    WriteAll(client.Get(), text);
    std::string back(text.size(), '\0');
    std::size_t got = 0;
    while (got < back.size()) {
        const ssize_t n = ::recv(client.Get(), back.data() + got, back.size() - got, 0);
        if (n <= 0) {
            break;
        }
        got += std::size_t(n);
    }
    return back.substr(0, got);
}

} // namespace

TEST_F(SockAcceptThread, EachConnectionIsServedOnAThreadOfItsOwn) {
    Fd first = ConnectTo(port_), second = ConnectTo(port_);
    ASSERT_TRUE(PumpUntil([&] { return ServedCount() == 2; }));
    EXPECT_EQ(Echoed(first, "one"), "one");
    EXPECT_EQ(Echoed(second, "two"), "two");
    std::lock_guard guard(lock_);
    const std::set<std::thread::id> threads{served_[0].thread, served_[1].thread,
                                            std::this_thread::get_id()};
    EXPECT_EQ(threads.size(), 3u);
    for (const Served& s : served_) {
        EXPECT_EQ(s.sender, listener_.get());
        EXPECT_TRUE(s.blocking);
        EXPECT_EQ(s.sock->parent(), listener_.get());
    }
    EXPECT_NE(served_[0].sock, served_[1].sock);
}

// The threads end when their peers close, and are released on the window thread.
TEST_F(SockAcceptThread, ThreadsEndWithTheirConnections) {
    {
        Fd first = ConnectTo(port_), second = ConnectTo(port_);
        ASSERT_TRUE(PumpUntil([&] { return ServedCount() == 2; }));
    }
    ASSERT_TRUE(PumpUntil([&] { return finished_ == 2; }));
    PumpFor(50);
    std::lock_guard guard(lock_);
    for (const Served& s : served_) {
        EXPECT_FALSE(s.sock->Connected());
    }
}

// Destroying the listener shuts down what its threads still serve, waits for them, and only
// then destroys their components.
TEST_F(SockAcceptThread, DestroyingTheListenerEndsItsThreadsFirst) {
    std::mutex logLock;
    std::vector<std::string> texts;
    listener_->OnInfo = [&](QObject*, TSocketInfo, std::string text) {
        std::lock_guard guard(logLock);
        texts.push_back(std::move(text));
    };
    Fd first = ConnectTo(port_), second = ConnectTo(port_);
    ASSERT_TRUE(PumpUntil([&] { return ServedCount() == 2; }));
    EXPECT_EQ(Echoed(first, "still here"), "still here");
    listener_.reset();
    EXPECT_EQ(finished_, 2);
    EXPECT_EQ(ReadUntilClosed(first.Get()), "");
    EXPECT_EQ(ReadUntilClosed(second.Get()), "");
    std::lock_guard guard(logLock);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Socket Disconnected On Receive"), 2);
}

// A handler that, once its connection is shut down, waits for the window thread does not hold
// up the listener's destruction: the window thread serves it meanwhile.
TEST_F(SockAcceptThread, DestroyingTheListenerServesAHandlerWaitingOnTheWindowThread) {
    QObject windowThread;
    // Reached without a capture: Qt hands the call over in a way ThreadSanitizer cannot see.
    static std::atomic<bool> answered;
    answered = false;
    listener_->OnAutoAccept = [&](QObject*, TSock* sock) {
        ++finished_;
        while (sock->Connected()) {
            sock->Receive(-1);
        }
        QMetaObject::invokeMethod(
            &windowThread, [] { answered = true; }, Qt::BlockingQueuedConnection);
    };
    Fd client = ConnectTo(port_);
    ASSERT_TRUE(PumpUntil([&] { return finished_ == 1; }));
    listener_.reset();
    EXPECT_TRUE(answered);
}

// The window thread serves events while a listener's destruction waits for its threads; one of
// them destroying another blocking listener waits for that one's threads the same way.
TEST_F(SockAcceptThread, AListenerDestroyedDuringAnothersDestructionEndsItsThreadsToo) {
    QObject windowThread;
    static std::atomic<TSock*> second;
    second = new TSock(nullptr);
    const std::uint16_t secondPort = ServeEchoes(*second);
    listener_->OnAutoAccept = [&](QObject*, TSock* sock) {
        ++finished_;
        while (sock->Connected()) {
            sock->Receive(-1);
        }
        QMetaObject::invokeMethod(
            &windowThread, [] { delete second.exchange(nullptr); }, Qt::BlockingQueuedConnection);
    };
    Fd first = ConnectTo(port_), other = ConnectTo(secondPort);
    ASSERT_TRUE(PumpUntil([&] { return finished_ == 1 && ServedCount() == 1; }));
    listener_.reset();
    EXPECT_EQ(second.load(), nullptr);
    EXPECT_EQ(ReadUntilClosed(other.Get()), "");
}

TEST_F(SockAcceptThread, AFailingHandlerEndsOnlyItsThread) {
    listener_->OnAutoAccept = [this](QObject*, TSock*) {
        ++finished_;
        throw ESockException("Handler - Failed");
    };
    Fd first = ConnectTo(port_);
    ASSERT_TRUE(PumpUntil([&] { return finished_ == 1; }));
    Fd second = ConnectTo(port_);
    ASSERT_TRUE(PumpUntil([&] { return finished_ == 2; }));
}

} // namespace zintra
