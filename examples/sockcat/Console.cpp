#include "examples/sockcat/Console.h"

#include "sock/Sock.h"

#include <cerrno>
#include <iostream>
#include <stdexcept>
#include <unistd.h>

namespace zintra {

namespace {

constexpr std::size_t InputPieceSize = 65536;
constexpr int OutputFd = 1;

} // namespace

bool ReadInput(std::string& piece) {
    piece.resize(InputPieceSize);
    ssize_t n;
    do {
        n = ::read(InputFd, piece.data(), piece.size());
    } while (n < 0 && errno == EINTR);
    piece.resize(n > 0 ? std::size_t(n) : 0);
    return n > 0;
}

void WriteOutput(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(OutputFd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw std::runtime_error("sockcat: standard output cannot be written");
        }
        bytes.remove_prefix(std::size_t(n));
    }
}

void LineSplitter::Feed(std::string_view bytes, const LineHandler& line) {
    for (std::size_t end; (end = bytes.find('\n')) != std::string_view::npos;) {
        partial_.append(bytes.substr(0, end));
        if (partial_.ends_with('\r')) {
            partial_.pop_back();
        }
        line(partial_);
        partial_.clear();
        bytes.remove_prefix(end + 1);
    }
    partial_.append(bytes);
}

void LineSplitter::Finish(const LineHandler& line) {
    if (!partial_.empty()) {
        line(partial_);
        partial_.clear();
    }
}

void ConfigureSock(TSock& sock, const CatOptions& options) {
    sock.SetSocketType(options.Udp ? stDatagram : stStream);
    sock.SetHostName(options.Host);
    sock.SetPortName(options.Port);
    sock.SetBlocking(options.Blocking);
    // Blocking reads wait only where a datagram or bytes are known to be there.
    sock.SetBlockingTimeout(options.Blocking ? -1 : 0);
    if (options.Verbose) {
        sock.OnInfo = [](QObject*, TSocketInfo kind, std::string text) {
            std::cerr << SocketInfoText[kind] << ": " << text << std::endl;
        };
    }
}

} // namespace zintra
