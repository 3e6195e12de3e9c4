// Blocking throughput of one TSock sending to another over loopback, against the same transfer
// with plain POSIX send and recv in 32 KiB reads (the floor).

#include "sock/Sock.h"
#include "sock/SockUnit.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace zintra {

namespace {

constexpr std::int64_t TransferBytes = std::int64_t(1) << 30;
constexpr std::size_t SendPiece = 1 << 20;
constexpr std::size_t ReadPiece = 32 << 10;

struct Pair {
    int client = -1;
    int server = -1;
};

Pair LoopbackPair() {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("loopback listener");
    }
    Pair pair;
    pair.client = ::socket(AF_INET, SOCK_STREAM, 0);
    if (::connect(pair.client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("loopback connect");
    }
    pair.server = ::accept(listener, nullptr, nullptr);
    ::close(listener);
    return pair;
}

void PosixFloor(benchmark::State& state) {
    const std::string piece(SendPiece, 'p');
    std::string buffer(ReadPiece, '\0');
    for (auto _ : state) {
        const Pair pair = LoopbackPair();
        std::thread sender([&] {
            for (std::int64_t left = TransferBytes; left > 0;) {
                const ssize_t n =
                    ::send(pair.client, piece.data(),
                           std::size_t(std::min<std::int64_t>(left, SendPiece)), MSG_NOSIGNAL);
                if (n <= 0) {
                    break;
                }
                left -= n;
            }
            ::close(pair.client);
        });
        std::int64_t received = 0;
        for (ssize_t n; (n = ::recv(pair.server, buffer.data(), buffer.size(), 0)) > 0;) {
            received += n;
        }
        sender.join();
        ::close(pair.server);
        if (received != TransferBytes) {
            state.SkipWithError("short transfer");
        }
    }
    state.SetBytesProcessed(state.iterations() * TransferBytes);
}

void ComponentToComponent(benchmark::State& state) {
    const std::string piece(SendPiece, 'c');
    for (auto _ : state) {
        const Pair pair = LoopbackPair();
        TSock sending(nullptr), receiving(nullptr);
        for (TSock* sock : {&sending, &receiving}) {
            sock->SetBlocking(true);
            sock->SetBlockingTimeout(std::int32_t(state.range(0)));
        }
        sending.Attach(pair.client);
        receiving.Attach(pair.server);
        std::thread sender([&] {
            for (std::int64_t sent = 0; sent < TransferBytes; sent += SendPiece) {
                sending.Send(piece);
            }
            sending.Close();
        });
        std::int64_t received = 0;
        while (receiving.Connected()) {
            received += std::int64_t(receiving.Receive(-1).size());
        }
        sender.join();
        if (received != TransferBytes) {
            state.SkipWithError("short transfer");
        }
    }
    state.SetBytesProcessed(state.iterations() * TransferBytes);
}

} // namespace

BENCHMARK(PosixFloor)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(ComponentToComponent)
    ->Arg(-1)
    ->Arg(3600)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace zintra

int main(int argc, char** argv) {
    using namespace zintra;
    SockUnit unit;
    if (!unit.Started()) {
        return SockUnit::FailureExitStatus;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
