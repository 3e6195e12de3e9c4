// The socket layer's read-ahead and notifications: a script decoded from the input (the peer
// writes, shuts its sending side, closes or resets; this side receives, asks FIONREAD, selects
// again, closes, runs the event loop) plays against the real layer on socket pairs, and every
// notification and every step is checked against WinSock's rules.
#include "tests/fuzz/FuzzSupport.h"
#include "winsock/SockMessage.h"
#include "winsock/WinSock.h"

#include <QCoreApplication>
#include <array>
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace zintra;

namespace {

constexpr int kMaxPairs = 3;
constexpr int kMaxActions = 40;
constexpr std::size_t kLargest = 200000;

WinSock& Layer() {
    return WinSockLayer();
}

// The byte the peer of `pair` writes at position `at`: the order shows in the values.
char PeerByte(int pair, std::size_t at) {
    return char(at * 7 + at / 251 + std::size_t(pair) * 85);
}

long MaskOf(unsigned bits) {
    return (bits & 1 ? FD_READ : 0) | (bits & 2 ? FD_WRITE : 0) | (bits & 4 ? FD_CLOSE : 0);
}

struct Pair {
    int index = 0;
    TSocket number = INVALID_SOCKET; // this side, as the layer knows it
    bool open = false;
    bool silent = false; // closed, and what was posted before has arrived
    int peer = -1;
    long mask = 0;
    int handlerRead = 0; // what the FD_READ handler receives, if anything
    std::size_t written = 0;
    std::size_t received = 0;
    bool peerDone = false; // the peer sends no more
    bool reset = false;
    // Within the current selection:
    bool readHeld = false; // an FD_READ came, and no recv since
    // A selection may post FD_READ once, and once more after each recv: posted ones may
    // arrive after further recvs.
    int readsAllowed = 1;
    bool writeSeen = false;
    bool closeSeen = false;
};

class Script : public QObject {
public:
    std::array<Pair, kMaxPairs> pairs;
    int count = 0;
    int notified = 0;

    void Receive(Pair& p, int len) {
        static std::vector<char> buffer(kLargest);
        const int n = Layer().recv(p.number, buffer.data(), len, 0);
        const int error = n < 0 ? Layer().WSAGetLastError() : 0;
        if (!p.open) {
            Require(n == SOCKET_ERROR && error == WSAENOTSOCK, "nothing is read after closesocket");
            return;
        }
        p.readHeld = false;
        ++p.readsAllowed;
        const std::size_t waiting = p.written - p.received;
        for (int i = 0; i < n; ++i) {
            Require(buffer[std::size_t(i)] == PeerByte(p.index, p.received + std::size_t(i)),
                    "recv gives the peer's bytes in the order written");
        }
        Require(n <= int(waiting), "recv gives no byte the peer did not write");
        Require(waiting == 0 || n > 0, "recv gives bytes while some wait");
        if (n > 0) {
            p.received += std::size_t(n);
        } else if (n == 0) {
            Require(p.peerDone, "recv gives 0 only once the peer has closed");
        } else {
            Require(error == WSAEWOULDBLOCK ? !p.peerDone : error == WSAECONNRESET && p.reset,
                    "recv fails only for want of bytes, or for the reset");
        }
    }

    bool event(QEvent* e) override {
        if (e->type() != QEvent::Type(WM_SOCK)) {
            return QObject::event(e);
        }
        const auto& message = static_cast<const TSockMessage&>(*e);
        Pair* found = nullptr;
        for (int i = 0; i < count; ++i) {
            found = pairs[std::size_t(i)].number == message.WParam ? &pairs[std::size_t(i)] : found;
        }
        Require(found != nullptr, "notifications name a selected socket");
        Notified(*found, int(message.LParam & 0xFFFF), int(message.LParam >> 16));
        return true;
    }

    void Notified(Pair& p, int event, int error) {
        ++notified;
        Require(!p.silent, "nothing is notified after closesocket and what was posted before");
        Require((p.mask & event) != 0, "only the selected events are notified");
        Require(!p.closeSeen, "nothing follows FD_CLOSE");
        if (event == FD_READ) {
            Require(p.readsAllowed-- > 0, "no FD_READ again before a recv re-enables it");
            p.readHeld = true;
            if (p.handlerRead > 0) {
                Receive(p, p.handlerRead);
            }
        } else if (event == FD_WRITE) {
            Require(!p.writeSeen, "FD_WRITE once, for a connection whose sends never blocked");
            p.writeSeen = true;
        } else {
            Require(event == FD_CLOSE, "a connection hears of reading, writing and its close");
            Require(p.peerDone, "FD_CLOSE only once the peer has closed");
            Require(!(p.mask & FD_READ) || p.received == p.written,
                    "FD_CLOSE only after every byte the peer wrote has been read");
            Require(error == 0 || (p.reset && error == WSAECONNRESET),
                    "FD_CLOSE tells a close from a reset");
            Require(!(p.mask & FD_WRITE) || p.writeSeen, "the owed FD_WRITE comes before FD_CLOSE");
            p.closeSeen = true;
        }
    }

    void Select(Pair& p, long mask) {
        // What the previous selection posted arrives first; the handler does not read then, so
        // that nothing more is posted under it.
        const int handlerRead = std::exchange(p.handlerRead, 0);
        QCoreApplication::sendPostedEvents(this, WM_SOCK);
        p.handlerRead = handlerRead;
        Require(Layer().WSAAsyncSelect(p.number, this, WM_SOCK, mask) == 0, "the selection holds");
        p.mask = mask;
        p.readHeld = p.writeSeen = p.closeSeen = false;
        p.readsAllowed = 1;
    }

    void PeerWrite(Pair& p, std::size_t size) {
        static std::vector<char> bytes(kLargest);
        if (p.peerDone) {
            return;
        }
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = PeerByte(p.index, p.written + i);
        }
        const ssize_t n = ::send(p.peer, bytes.data(), size, MSG_DONTWAIT | MSG_NOSIGNAL);
        p.written += std::size_t(std::max<ssize_t>(n, 0));
    }

    // reset: the peer goes with bytes unread, which resets the connection.
    void PeerClose(Pair& p, bool reset) {
        if (p.peer < 0) {
            return;
        }
        if (reset && p.open) {
            p.reset = Layer().send(p.number, "!", 1, 0) == 1;
        }
        ::close(p.peer);
        p.peer = -1;
        p.peerDone = true;
    }

    void Close(Pair& p) {
        if (!p.open) {
            return;
        }
        Require(Layer().closesocket(p.number) == 0, "closesocket succeeds");
        p.open = false;
        QCoreApplication::sendPostedEvents(this, WM_SOCK);
        p.silent = true;
    }

    void Fionread(Pair& p) {
        std::uint32_t n = 0;
        const int result = Layer().ioctlsocket(p.number, WsFionread, &n);
        Require(!p.open || (result == 0 && n == p.written - p.received),
                "FIONREAD counts every byte not yet received");
    }

    // Runs the event loop, receiving all there is on every FD_READ, until nothing more happens:
    // then no notification may be missing.
    void Settle() {
        for (int i = 0; i < count; ++i) {
            pairs[std::size_t(i)].handlerRead = int(kLargest);
        }
        for (int pass = 0, idle = 0; pass < 400 && idle < 3; ++pass) {
            const int before = notified;
            QCoreApplication::processEvents();
            for (int i = 0; i < count; ++i) {
                Pair& p = pairs[std::size_t(i)];
                while (p.open && p.readHeld) {
                    Receive(p, int(kLargest));
                }
            }
            idle = notified == before ? idle + 1 : 0;
        }
        for (int i = 0; i < count; ++i) {
            const Pair& p = pairs[std::size_t(i)];
            if (p.open && (p.mask & FD_READ)) {
                Require(p.received == p.written, "FD_READ tells of every byte the peer wrote");
            }
            // An orderly close is told only after the bytes before it were read; a reset at once.
            if (p.open && (p.mask & FD_CLOSE) && p.peerDone &&
                (p.reset || p.received == p.written)) {
                Require(p.closeSeen, "FD_CLOSE tells of the peer's close");
            }
        }
    }

    void Run(FuzzedDataProvider& in) {
        count = in.ConsumeIntegralInRange(1, kMaxPairs);
        for (int i = 0; i < count; ++i) {
            Pair& p = pairs[std::size_t(i)];
            int ends[2];
            Require(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) == 0, "a pair");
            p = Pair{i, ends[0], true, false, ends[1]};
            p.handlerRead = std::array{0, 1, 100, 70000}[in.ConsumeIntegralInRange(0, 3)];
            Select(p, MaskOf(in.ConsumeIntegralInRange(1u, 7u)));
        }
        for (int step = 0; step < kMaxActions && in.remaining_bytes() > 0; ++step) {
            Pair& p = pairs[std::size_t(in.ConsumeIntegralInRange(0, count - 1))];
            const std::size_t most = in.ConsumeBool() ? 256 : kLargest;
            switch (in.ConsumeIntegralInRange(0, 8)) {
            case 0:
                PeerWrite(p, in.ConsumeIntegralInRange<std::size_t>(1, most));
                break;
            case 1:
                ::shutdown(p.peer, SHUT_WR);
                p.peerDone = true;
                break;
            case 2:
                PeerClose(p, in.ConsumeBool());
                break;
            case 3:
                Receive(p, in.ConsumeIntegralInRange(1, int(most)));
                break;
            case 4:
                Fionread(p);
                break;
            case 5:
                if (p.open) {
                    Select(p, MaskOf(in.ConsumeIntegralInRange(0u, 7u)));
                }
                break;
            case 6:
                Close(p);
                break;
            default:
                QCoreApplication::processEvents();
                break;
            }
        }
        Settle();
        for (int i = 0; i < count; ++i) {
            Close(pairs[std::size_t(i)]);
            PeerClose(pairs[std::size_t(i)], false);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** argv) {
    // Qt gets its own arguments: the fuzzer's stay as they are.
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    static QCoreApplication application(qtArgc, qtArgv);
    WSAData data;
    Require(Layer().WSAStartup(WinSockVersion11, data) == 0, "WSAStartup succeeds");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Script script;
    script.Run(input);
    return 0;
}
