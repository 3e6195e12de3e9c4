#include "tests/support/SockTestSupport.h"

#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <thread>

namespace zintra {

namespace {

constexpr int Clients = 40;
constexpr std::size_t MaxBytesPerClient = 256 << 10;
constexpr std::size_t MaxPiece = 8192;

// FNV-1a over a byte stream, piece by piece.
class Digest {
public:
    void Add(std::string_view bytes) {
        for (unsigned char c : bytes) {
            value_ = (value_ ^ c) * 1099511628211ull;
        }
    }
    std::uint64_t Value() const { return value_; }

private:
    std::uint64_t value_ = 14695981039346656037ull;
};

// One client: random bytes sent in random pieces while the echo is read back.
struct Client {
    Fd fd;
    std::string toSend;
    std::size_t sent = 0, received = 0;
    Digest sentDigest, receivedDigest;

    bool Done() const { return received == toSend.size(); }
};

// Drives every client from one thread with poll until all have their bytes back or the
// deadline passes.
void DriveClients(std::vector<Client>& clients, std::mt19937& random) {
    std::uniform_int_distribution<std::size_t> pieceSize(1, MaxPiece);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    char buffer[65536];
    while (std::chrono::steady_clock::now() < deadline) {
        std::vector<pollfd> polls;
        std::vector<Client*> owners;
        for (Client& c : clients) {
            if (c.Done()) {
                continue;
            }
            polls.push_back(
                {c.fd.Get(), short(POLLIN | (c.sent < c.toSend.size() ? POLLOUT : 0)), 0});
            owners.push_back(&c);
        }
        if (polls.empty()) {
            return;
        }
        if (::poll(polls.data(), polls.size(), 100) <= 0) {
            continue;
        }
        for (std::size_t i = 0; i < polls.size(); ++i) {
            Client& c = *owners[i];
            if (polls[i].revents & POLLOUT) {
                const std::size_t piece = std::min(pieceSize(random), c.toSend.size() - c.sent);
                const ssize_t n = ::send(c.fd.Get(), c.toSend.data() + c.sent, piece, MSG_NOSIGNAL);
                if (n > 0) {
                    c.sentDigest.Add(std::string_view(c.toSend).substr(c.sent, std::size_t(n)));
                    c.sent += std::size_t(n);
                }
            }
            if (polls[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = ::recv(c.fd.Get(), buffer, sizeof buffer, 0);
                if (n <= 0) {
                    return; // the server went away: the digests will tell
                }
                c.receivedDigest.Add(std::string_view(buffer, std::size_t(n)));
                c.received += std::size_t(n);
            }
        }
    }
}

} // namespace

class SockEchoLoad : public testing::TestWithParam<bool> {};

// No notification is lost or doubled: every client gets back exactly its bytes, in order.
TEST_P(SockEchoLoad, EveryClientGetsExactlyItsBytesBack) {
    const bool blocking = GetParam();
    TSock listener(nullptr);
    listener.SetPortName("0");
    listener.SetAutoAccept(true);
    listener.SetBlocking(blocking);
    listener.SetBlockingTimeout(-1);
    listener.OnRead = [](QObject* sender, std::int32_t) {
        auto* sock = static_cast<TSock*>(sender);
        sock->Send(sock->Receive(-1));
    };
    listener.OnAutoAccept = [blocking](QObject*, TSock* sock) {
        while (blocking && sock->Connected()) {
            if (const std::string data = sock->Receive(-1); !data.empty()) {
                sock->Send(data);
            }
        }
    };
    listener.SetListen(true);

    // The clients connect from their own thread while the listener accepts, backlog 5 and all.
    const std::uint16_t port = ListeningPort(listener);
    std::vector<Client> clients(Clients);
    std::atomic<bool> driven{false};
    std::thread driver([&] {
        std::mt19937 random(20240611u + blocking);
        std::uniform_int_distribution<std::size_t> total(1, MaxBytesPerClient);
        for (Client& c : clients) {
            c.fd = ConnectTo(port);
            ::fcntl(c.fd.Get(), F_SETFL, O_NONBLOCK);
            c.toSend.resize(total(random));
            for (char& byte : c.toSend) {
                byte = char(random());
            }
        }
        DriveClients(clients, random);
        driven = true;
    });
    PumpUntil([&] { return driven.load(); }, 90000);
    driver.join();

    for (const Client& c : clients) {
        EXPECT_EQ(c.received, c.toSend.size());
        EXPECT_EQ(c.receivedDigest.Value(), c.sentDigest.Value());
    }
}

INSTANTIATE_TEST_SUITE_P(Sock, SockEchoLoad, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Blocking" : "NonBlocking"; });

} // namespace zintra
