#include "tests/support/WinSockTestSupport.h"
#include "winsock/ReadAhead.h"
#include "winsock/SockMessage.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace zintra {

namespace {

struct Notification {
    int event;
    int error;
    bool operator==(const Notification&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Notification& n) {
    return out << "{" << n.event << ", " << n.error << "}";
}

// A window that records the notifications it is sent, and may answer FD_READ.
class Recorder : public QObject {
public:
    std::vector<Notification> received;
    std::vector<TSocket> from;
    std::function<void()> onRead;
    std::function<void(TSocket)> onReadFrom;
    std::atomic<int> count{0};

    bool event(QEvent* e) override {
        auto* message = dynamic_cast<TSockMessage*>(e);
        if (!message) {
            return QObject::event(e);
        }
        ++count;
        if (QThread::currentThread() != qApp->thread()) {
            return true; // heard on a thread of its own: only counted
        }
        received.push_back({int(message->LParam & 0xFFFF), int(message->LParam >> 16)});
        from.push_back(message->WParam);
        if (onRead && received.back().event == FD_READ) {
            onRead();
        }
        if (onReadFrom && received.back().event == FD_READ) {
            onReadFrom(message->WParam);
        }
        return true;
    }
};

constexpr long AllEvents = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

class AsyncSelect : public testing::Test {
protected:
    WinSock& layer_ = WinSockLayer();
    Recorder window_;

    // Selections the test made end with it, whether or not the socket was closed through the layer.
    ~AsyncSelect() override {
        for (TSocket s : selected_) {
            layer_.WSAAsyncSelect(s, nullptr, WM_SOCK, 0);
        }
    }

    void Select(TSocket s, long mask) {
        selected_.push_back(s);
        ASSERT_EQ(layer_.WSAAsyncSelect(s, &window_, WM_SOCK, mask), 0);
    }

    std::vector<TSocket> selected_;

    // Waits for the count of notifications, then makes sure no more follow.
    std::vector<Notification> Settled(std::size_t count) {
        EXPECT_TRUE(PumpUntil([&] { return window_.received.size() >= count; }));
        PumpFor(150);
        return std::exchange(window_.received, {});
    }

    std::size_t Pending(TSocket s) {
        std::uint32_t count = 0;
        layer_.ioctlsocket(s, WsFionread, &count);
        return count;
    }

    int Recv(TSocket s, int len) {
        std::string buffer(std::size_t(len), '\0');
        return layer_.recv(s, buffer.data(), len, 0);
    }

    // A connection with a whole read-ahead chunk waiting, selected for FD_READ; the handler
    // takes up to `perRead` bytes at each notification and counts them in taken_.
    void SelectWithAChunkWaiting(const TcpPair& pair, int perRead) {
        const TSocket s = pair.server.Get();
        window_.onRead = [this, s, perRead] {
            taken_ += std::size_t(std::max(Recv(s, perRead), 0));
        };
        WriteAll(pair.client.Get(), std::string(Waiting, 'c'));
        ASSERT_TRUE(PumpUntil([&] { return Pending(s) == Waiting; }));
        Select(s, FD_READ);
    }
    static constexpr std::size_t Waiting = ReadAhead::ChunkSize;
    std::size_t taken_ = 0;

    // Two connections with data waiting, selected for FD_READ: the same pass of the readiness
    // set finds both.
    std::vector<TcpPair> BothReadable() {
        std::vector<TcpPair> pairs;
        pairs.push_back(MakeTcpPair());
        pairs.push_back(MakeTcpPair());
        for (TcpPair& pair : pairs) {
            WriteAll(pair.client.Get(), "x");
            EXPECT_TRUE(PumpUntil([&] { return Pending(pair.server.Get()) == 1; }));
        }
        for (TcpPair& pair : pairs) {
            Select(pair.server.Get(), FD_READ);
        }
        return pairs;
    }

    // What was read ahead for them goes with them.
    void CloseServers(std::vector<TcpPair>& pairs) {
        for (TcpPair& pair : pairs) {
            if (pair.server.Get() >= 0) {
                layer_.closesocket(pair.server.Release());
            }
        }
    }
};

} // namespace

TEST_F(AsyncSelect, ReadIsPostedOnceUntilRecvAndAgainWhileDataRemains) {
    TcpPair pair = MakeTcpPair();
    Select(pair.server.Get(), FD_READ);
    WriteAll(pair.client.Get(), "0123456789");
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_READ, 0}}));
    EXPECT_EQ(Recv(pair.server.Get(), 4), 4);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_READ, 0}}));
    EXPECT_EQ(Recv(pair.server.Get(), 100), 6);
    EXPECT_EQ(Settled(0), std::vector<Notification>{});
}

// A read that fills its buffer is followed by FD_READ while bytes remain, and only then.
TEST_F(AsyncSelect, FullReadsAreFollowedByReadOnlyWhileBytesRemain) {
    TcpPair pair = MakeTcpPair();
    const TSocket s = pair.server.Get();
    Select(s, FD_READ | FD_CLOSE);
    WriteAll(pair.client.Get(), std::string(2 * 32768, 'r'));
    pair.client.Reset();
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_READ, 0}}));
    EXPECT_EQ(Recv(s, 32768), 32768);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_READ, 0}}));
    EXPECT_EQ(Recv(s, 32768), 32768);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_CLOSE, 0}}));
}

// The bytes a notification read ahead are the socket's for every call that asks, even once the
// socket blocks again.
TEST_F(AsyncSelect, BytesReadAheadCountForFionreadSelectPeekAndABlockingRecv) {
    TcpPair pair = MakeTcpPair();
    const TSocket s = pair.server.Get();
    Select(s, FD_READ);
    WriteAll(pair.client.Get(), "0123456789");
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_READ, 0}}));
    std::uint32_t waiting = 0;
    EXPECT_EQ(layer_.ioctlsocket(s, WsFionread, &waiting), 0);
    EXPECT_EQ(waiting, 10u);
    FdSet readable;
    readable.Add(s);
    const TimeVal noWait{0, 0};
    EXPECT_EQ(layer_.select(0, &readable, nullptr, nullptr, &noWait), 1);
    std::string bytes(20, '\0');
    EXPECT_EQ(layer_.recv(s, bytes.data(), 4, MSG_PEEK), 4);
    Select(s, 0);
    std::uint32_t blocking = 0;
    ASSERT_EQ(layer_.ioctlsocket(s, WsFionbio, &blocking), 0);
    ASSERT_EQ(layer_.recv(s, bytes.data(), 20, 0), 10);
    EXPECT_EQ(bytes.substr(0, 10), "0123456789");
}

// Reading in the handler, a whole chunk read ahead is followed by reading on, and once the socket
// is empty the notifier takes over and notices what comes later.
TEST_F(AsyncSelect, AHandlerThatReadsGetsAWholeChunkAndLaterBytes) {
    TcpPair pair = MakeTcpPair();
    SelectWithAChunkWaiting(pair, 32768);
    EXPECT_TRUE(PumpUntil([&] { return taken_ == Waiting; }));
    WriteAll(pair.client.Get(), "later");
    EXPECT_TRUE(PumpUntil([&] { return taken_ == Waiting + 5; }));
}

// A socket that always has more is served a burst at a time: the event loop goes on turning.
TEST_F(AsyncSelect, ASocketThatAlwaysHasMoreLeavesTheEventLoopTurning) {
    TcpPair pair = MakeTcpPair();
    SelectWithAChunkWaiting(pair, 10);
    std::size_t takenWhenTimerRan = Waiting;
    QTimer::singleShot(1, [&] { takenWhenTimerRan = taken_; });
    EXPECT_TRUE(PumpUntil([&] { return taken_ == Waiting; }));
    EXPECT_LT(takenWhenTimerRan, Waiting / 2);
}

// Past a burst the next FD_READ is posted; the FD_WRITE noticed after it in the same pass is
// posted behind it rather than sent ahead.
TEST_F(AsyncSelect, NothingOvertakesANotificationPostedBeforeIt) {
    TcpPair pair = MakeTcpPair();
    const TSocket s = pair.server.Get();
    window_.onRead = [&] { Recv(s, 10); };
    WriteAll(pair.client.Get(), std::string(1000, 'o'));
    ASSERT_TRUE(PumpUntil([&] { return Pending(s) == 1000; }));
    Select(s, FD_READ | FD_WRITE);
    ASSERT_TRUE(PumpUntil([&] { return window_.received.size() == 101; }));
    const auto write = std::ranges::find(window_.received, Notification{FD_WRITE, 0});
    const auto position = write - window_.received.begin();
    EXPECT_TRUE(position == 0 || position > 16) << "FD_WRITE at " << position;
}

TEST_F(AsyncSelect, CloseFollowsTheDataBeforeItOnceItIsRead) {
    TcpPair pair = MakeTcpPair();
    Select(pair.server.Get(), AllEvents);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_WRITE, 0}}));
    WriteAll(pair.client.Get(), "last words");
    pair.client.Reset();
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_READ, 0}}));
    EXPECT_EQ(Recv(pair.server.Get(), 100), 10);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_CLOSE, 0}}));
}

TEST_F(AsyncSelect, ResetIsAClosingWithItsError) {
    TcpPair pair = MakeTcpPair();
    Select(pair.server.Get(), FD_READ | FD_CLOSE);
    ResetAndClose(pair.client);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_CLOSE, WSAECONNRESET}}));
}

TEST_F(AsyncSelect, WriteComesOnSelectionThenOnlyAfterASendThatWouldBlock) {
    TcpPair pair = MakeTcpPair();
    const TSocket s = pair.server.Get();
    Select(s, FD_WRITE);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_WRITE, 0}}));
    const std::string chunk(1 << 16, 'w');
    int sent;
    while ((sent = layer_.send(s, chunk.data(), int(chunk.size()), 0)) > 0) {
    }
    EXPECT_EQ(layer_.WSAGetLastError(), WSAEWOULDBLOCK);
    EXPECT_EQ(Settled(0), std::vector<Notification>{});
    pair.client.Reset(); // the peer goes away: sending is possible again, and fails at once
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_WRITE, 0}}));
}

TEST_F(AsyncSelect, AcceptIsPostedOnceUntilAcceptIsCalled) {
    const TSocket listener = layer_.socket(WsAfInet, WsSockStream, 0);
    SockAddrIn address;
    address.sin_family = WsAfInet;
    address.sin_addr = NetLong(0x7F000001);
    ASSERT_EQ(layer_.bind(listener, address, sizeof address), 0);
    Select(listener, AllEvents);
    ASSERT_EQ(layer_.listen(listener, 5), 0);
    const std::uint16_t port = LocalPort(listener);
    Fd first = ConnectTo(port), second = ConnectTo(port);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_ACCEPT, 0}}));
    Fd taken(layer_.accept(listener, nullptr, nullptr));
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_ACCEPT, 0}}));
    Fd alsoTaken(layer_.accept(listener, nullptr, nullptr));
    EXPECT_EQ(Settled(0), std::vector<Notification>{});
    layer_.closesocket(listener);
}

TEST_F(AsyncSelect, ConnectReportsItsFailure) {
    Fd closedPort(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(closedPort.Get(), reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    to.sin_port = htons(LocalPort(closedPort.Get())); // bound, never listening: refused
    Fd s(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
    ::connect(s.Get(), reinterpret_cast<sockaddr*>(&to), sizeof to);
    Select(s.Get(), AllEvents);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_CONNECT, WSAECONNREFUSED}}));
    layer_.closesocket(s.Release());
}

TEST_F(AsyncSelect, MaskZeroStopsNotifications) {
    TcpPair pair = MakeTcpPair();
    Select(pair.server.Get(), FD_READ);
    WriteAll(pair.client.Get(), "x");
    ASSERT_TRUE(PumpUntil([&] { return !window_.received.empty(); }));
    Select(pair.server.Get(), 0);
    Recv(pair.server.Get(), 1);
    WriteAll(pair.client.Get(), "y");
    PumpFor(150);
    EXPECT_EQ(window_.received.size(), 1u);
}

// The first handler closes the other socket and puts a listener in its number: what the pass
// noticed for the closed socket is not the listener's, which has no connection waiting.
TEST_F(AsyncSelect, ANumberTakenAgainInThePassGetsNothingStale) {
    std::vector<TcpPair> pairs = BothReadable();
    TSocket reused = INVALID_SOCKET;
    window_.onReadFrom = [&](TSocket s) {
        if (reused != INVALID_SOCKET) {
            return;
        }
        const TSocket listener = layer_.socket(WsAfInet, WsSockStream, 0);
        SockAddrIn address;
        address.sin_family = WsAfInet;
        address.sin_addr = NetLong(0x7F000001);
        ASSERT_EQ(layer_.bind(listener, address, sizeof address), 0);
        ASSERT_EQ(layer_.listen(listener, 5), 0);
        reused = s == pairs[0].server.Get() ? pairs[1].server.Release() : pairs[0].server.Release();
        layer_.closesocket(reused);
        ASSERT_EQ(::dup2(listener, reused), reused);
        ::close(listener);
        Select(reused, FD_ACCEPT);
    };
    ASSERT_TRUE(PumpUntil([&] { return reused != INVALID_SOCKET; }));
    PumpFor(150);
    EXPECT_EQ(std::ranges::count(window_.from, reused), 0);
    layer_.closesocket(reused);
    CloseServers(pairs);
}

// A handler that runs an event loop of its own still lets the other socket be heard.
TEST_F(AsyncSelect, AHandlersNestedLoopHandsOutThePass) {
    std::vector<TcpPair> pairs = BothReadable();
    bool nested = false, heardInside = false;
    window_.onReadFrom = [&](TSocket) {
        if (!std::exchange(nested, true)) {
            heardInside = PumpUntil([&] { return window_.received.size() >= 2; }, 2000);
        }
    };
    EXPECT_TRUE(PumpUntil([&] { return nested; }));
    EXPECT_TRUE(heardInside);
    CloseServers(pairs);
}

// An accepted connection that was reset before accept is a connection that failed.
TEST_F(AsyncSelect, AConnectionResetBeforeAcceptClosesWithItsError) {
    const TSocket listener = layer_.socket(WsAfInet, WsSockStream, 0);
    SockAddrIn address;
    address.sin_family = WsAfInet;
    address.sin_addr = NetLong(0x7F000001);
    ASSERT_EQ(layer_.bind(listener, address, sizeof address), 0);
    ASSERT_EQ(layer_.listen(listener, 5), 0);
    Fd peer = ConnectTo(LocalPort(listener));
    ResetAndClose(peer);
    PumpFor(50);
    Fd accepted(layer_.accept(listener, nullptr, nullptr));
    ASSERT_GE(accepted.Get(), 0);
    Select(accepted.Get(), AllEvents);
    EXPECT_EQ(Settled(2), (std::vector<Notification>{{FD_WRITE, 0}, {FD_CLOSE, WSAECONNRESET}}));
    layer_.closesocket(accepted.Release());
    layer_.closesocket(listener);
}

// Selected for FD_CLOSE but not FD_READ, as a connection whose reading is held, it hears of a
// reset at once; of an orderly close only once the bytes before it are read, or at once when
// none are left. A peer gone for good is heard once a send makes it reset.
TEST_F(AsyncSelect, WithoutReadingOnlyAResetOrAnEndWithNothingUnreadIsHeard) {
    for (const bool reset : {false, true}) {
        TcpPair pair = MakeTcpPair();
        Select(pair.server.Get(), FD_CLOSE);
        WriteAll(pair.client.Get(), "unread");
        PumpFor(50);
        if (reset) {
            ResetAndClose(pair.client);
            EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_CLOSE, WSAECONNRESET}}));
            continue;
        }
        pair.client.Reset();
        EXPECT_EQ(Settled(0), std::vector<Notification>{});
        const std::string echo(1 << 16, 'e');
        layer_.send(pair.server.Get(), echo.data(), int(echo.size()), 0);
        EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_CLOSE, WSAECONNRESET}}));
    }
    TcpPair pair = MakeTcpPair();
    Select(pair.server.Get(), FD_CLOSE);
    ::shutdown(pair.client.Get(), SHUT_WR);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_CLOSE, 0}}));
}

// Reading held while the peer half-closes behind bytes still queued: once reading goes on,
// every byte comes before FD_CLOSE.
TEST_F(AsyncSelect, AHalfCloseBehindHeldBytesWaitsForThem) {
    TcpPair pair = MakeTcpPair();
    const TSocket s = pair.server.Get();
    Select(s, FD_WRITE | FD_CLOSE);
    WriteAll(pair.client.Get(), std::string(100000, 'h'));
    ::shutdown(pair.client.Get(), SHUT_WR);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_WRITE, 0}}));
    std::size_t read = 0;
    window_.onRead = [&] { read += std::size_t(std::max(Recv(s, 32768), 0)); };
    Select(s, FD_READ | FD_CLOSE);
    EXPECT_TRUE(PumpUntil(
        [&] { return !window_.received.empty() && window_.received.back().event == FD_CLOSE; }));
    EXPECT_EQ(read, 100000u);
    EXPECT_EQ(window_.received.back(), (Notification{FD_CLOSE, 0}));
}

// Bytes read ahead for a socket closed outside the layer are not the next socket's that takes
// its number.
TEST_F(AsyncSelect, ANumberTakenAgainReadsNothingOfTheOldSocket) {
    TcpPair old = MakeTcpPair();
    const TSocket number = old.server.Get();
    Select(number, FD_READ);
    WriteAll(old.client.Get(), "OLD");
    ASSERT_TRUE(PumpUntil([&] { return !window_.received.empty(); }));
    ::close(old.server.Release());
    TcpPair next = MakeTcpPair();
    ASSERT_EQ(::dup2(next.server.Get(), number), number);
    WriteAll(next.client.Get(), "NEW");
    std::string bytes(3, '\0');
    ASSERT_TRUE(PumpUntil([&] { return Pending(number) == 3; }));
    EXPECT_EQ(layer_.recv(number, bytes.data(), 3, 0), 3);
    EXPECT_EQ(bytes, "NEW");
    layer_.closesocket(number);
}

// A selection whose socket was closed outside the layer, watching again, never reads the
// socket that took its number.
TEST_F(AsyncSelect, ASelectionOfASocketClosedOutsideNeverReadsTheNext) {
    TcpPair old = MakeTcpPair();
    const TSocket number = old.server.Get();
    Select(number, FD_READ | FD_WRITE);
    EXPECT_EQ(Settled(1), (std::vector<Notification>{{FD_WRITE, 0}}));
    ::close(old.server.Release());
    TcpPair next = MakeTcpPair();
    ASSERT_EQ(::dup2(next.server.Get(), number), number);
    // A send that would block has the old selection watch the number again.
    ::fcntl(number, F_SETFL, O_NONBLOCK);
    const std::string chunk(1 << 16, 'w');
    while (layer_.send(number, chunk.data(), int(chunk.size()), 0) > 0) {
    }
    WriteAll(next.client.Get(), "NEW");
    PumpFor(50);
    ASSERT_TRUE(PumpUntil([&] { return Pending(number) == 3; }));
    std::string bytes(3, '\0');
    EXPECT_EQ(layer_.recv(number, bytes.data(), 3, 0), 3);
    EXPECT_EQ(bytes, "NEW");
    layer_.closesocket(number);
}

// A socket closed on another thread while a duplicate of it stays open leaves the readiness
// set, which another selection keeps: the set would otherwise go on reporting the duplicate's
// events to nobody.
TEST_F(AsyncSelect, ASocketClosedElsewhereLeavesTheSetThoughADuplicateStays) {
    TcpPair other = MakeTcpPair(), pair = MakeTcpPair();
    Select(other.server.Get(), FD_READ);
    const TSocket s = pair.server.Release();
    Select(s, FD_READ);
    const Fd duplicate(::dup(s));
    const auto watched = [s] {
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            if (std::filesystem::read_symlink(fd, error).string() != "anon_inode:[eventpoll]") {
                continue;
            }
            std::ifstream info("/proc/self/fdinfo/" + fd.path().filename().string());
            for (std::string word; info >> word;) {
                if (word == "tfd:" && info >> word && word == std::to_string(s)) {
                    return true;
                }
            }
        }
        return false;
    };
    ASSERT_TRUE(watched());
    std::thread([&] { layer_.closesocket(s); }).join();
    WriteAll(pair.client.Get(), "x");
    PumpFor(50);
    EXPECT_FALSE(watched());
}

// What cannot be selected says why: a descriptor that is no socket, a thread that can have no
// readiness set.
TEST_F(AsyncSelect, ASelectionTheSystemRefusesFails) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const Fd reading(ends[0]), writing(ends[1]);
    EXPECT_EQ(layer_.WSAAsyncSelect(reading.Get(), &window_, WM_SOCK, FD_READ), SOCKET_ERROR);
    EXPECT_EQ(layer_.WSAGetLastError(), WSAENOTSOCK);

    TcpPair pair = MakeTcpPair();
    // A first selection on a thread of its own takes the path once while descriptors are free:
    // the undefined-behaviour checker needs descriptors of its own at its first look at a type.
    std::thread([&] {
        QObject target;
        EXPECT_EQ(layer_.WSAAsyncSelect(pair.server.Get(), &target, WM_SOCK, FD_READ), 0);
        EXPECT_EQ(layer_.WSAAsyncSelect(pair.server.Get(), &target, WM_SOCK, 0), 0);
    }).join();
    std::thread([&] {
        QObject target;
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        const rlimit lowered{rlim_t(::dup(0)) + 1, limit.rlim_max};
        ::close(int(lowered.rlim_cur) - 1);
        ::setrlimit(RLIMIT_NOFILE, &lowered);
        std::vector<Fd> filling;
        for (int fd; (fd = ::dup(0)) >= 0;) {
            filling.emplace_back(fd);
        }
        EXPECT_EQ(layer_.WSAAsyncSelect(pair.server.Get(), &target, WM_SOCK, FD_READ),
                  SOCKET_ERROR);
        EXPECT_EQ(layer_.WSAGetLastError(), WSAEMFILE);
        filling.clear();
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }).join();
}

// A window moved to another thread after its socket was selected hears through its queue.
TEST_F(AsyncSelect, AWindowMovedToAnotherThreadStillHears) {
    TcpPair pair = MakeTcpPair();
    Select(pair.server.Get(), FD_READ);
    RunningThread thread;
    window_.moveToThread(&thread);
    WriteAll(pair.client.Get(), "x");
    EXPECT_TRUE(PumpUntil([&] { return window_.count > 0; }));
    layer_.WSAAsyncSelect(pair.server.Get(), nullptr, WM_SOCK, 0);
}

TEST_F(AsyncSelect, NoNotificationReachesADestroyedWindow) {
    TcpPair pair = MakeTcpPair();
    auto* doomed = new Recorder;
    ASSERT_EQ(layer_.WSAAsyncSelect(pair.server.Get(), doomed, WM_SOCK, FD_READ), 0);
    WriteAll(pair.client.Get(), "x");
    delete doomed;
    PumpFor(150);
    EXPECT_EQ(layer_.closesocket(pair.server.Release()), 0);
    EXPECT_EQ(layer_.WSAAsyncSelect(pair.client.Get(), nullptr, WM_SOCK, FD_READ), SOCKET_ERROR);
    EXPECT_EQ(layer_.WSAGetLastError(), WSAEINVAL);
}

} // namespace zintra
