#include "examples/sockcat/Console.h"

#include "sock/ErrorName.h"
#include "sock/Sock.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <unistd.h>

namespace zintra {

namespace {

constexpr std::size_t InputPieceSize = 65536;
constexpr int OutputFd = 1;
// The largest datagram IPv4 carries.
constexpr int DatagramAreaSize = 65536;

[[noreturn]] void DatagramFailure(const char* step) {
    throw std::runtime_error(std::string("sockcat: datagram ") + step +
                             " failed: " + ErrorName(WinSockLayer().WSAGetLastError()));
}

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
            throw std::runtime_error(std::string("sockcat: standard output cannot be written: ") +
                                     (n < 0 ? std::strerror(errno) : "nothing taken"));
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

void OpenConnectedDatagram(TSock& sock) {
    SockAddrIn peer;
    peer.sin_family = WsAfInet;
    peer.sin_addr = sock.LookupHost(sock.HostName());
    peer.sin_port = sock.LookupPort(sock.PortName());
    WinSock& layer = WinSockLayer();
    const TSocket s = layer.socket(WsAfInet, WsSockDgram, 0);
    if (s == INVALID_SOCKET) {
        DatagramFailure("socket");
    }
    if (layer.connect(s, peer, sizeof peer) != 0) {
        const int code = layer.WSAGetLastError();
        layer.closesocket(s);
        throw std::runtime_error("sockcat: datagram connect failed: " + ErrorName(code));
    }
    sock.Attach(s);
}

void SendDatagramLine(TSock& sock, const std::string& line) {
    if (WinSockLayer().send(sock.SocketHandle(), line.data(), int(line.size()), 0) < 0) {
        DatagramFailure("send");
    }
}

bool ReceiveDatagramLine(TSock& sock, std::string& line) {
    WinSock& layer = WinSockLayer();
    line.resize(DatagramAreaSize);
    const int n = layer.recv(sock.SocketHandle(), line.data(), DatagramAreaSize, 0);
    if (n < 0) {
        if (layer.WSAGetLastError() == WSAEWOULDBLOCK) {
            return false;
        }
        DatagramFailure("receive");
    }
    line.resize(std::size_t(n));
    return true;
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
