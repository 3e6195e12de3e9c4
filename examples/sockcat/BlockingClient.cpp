#include "examples/sockcat/BlockingClient.h"

#include "sock/ErrorName.h"

#include <cerrno>
#include <chrono>
#include <iostream>
#include <poll.h>

namespace zintra {

namespace {

constexpr auto LateAnswers = std::chrono::seconds(1);

// Waits for any of fds (a negative fd is skipped) for at most waitMs (-1: without limit).
void Wait(pollfd (&fds)[2], int waitMs) {
    while (::poll(fds, 2, waitMs) < 0 && errno == EINTR) {
    }
}

bool Ready(const pollfd& fd) {
    return fd.fd >= 0 && (fd.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

} // namespace

BlockingClient::BlockingClient(const CatOptions& options) : udp_(options.Udp) {
    ConfigureSock(sock_, options);
}

int BlockingClient::Run() {
    try {
        if (udp_) {
            OpenConnectedDatagram(sock_);
            ExchangeDatagrams();
        } else {
            sock_.Open();
            CopyStream();
        }
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << std::endl;
        return 1;
    }
    return 0;
}

// What arrives is written out before more is sent: the peer may wait for us to read before it
// reads again. A peer that closes its sending side while input is left still gets the rest:
// the connection is then read no more, and closes once the input has gone out.
void BlockingClient::CopyStream() {
    std::string pending;
    bool inputOpen = true;
    bool peerOpen = true;
    while (sock_.SocketHandle() != INVALID_SOCKET) {
        const bool sending = inputOpen || !pending.empty();
        if (!peerOpen && !sending) {
            sock_.Close();
            break;
        }
        const TSocket s = peerOpen || !pending.empty() ? sock_.SocketHandle() : -1;
        pollfd fds[2] = {{s, short((peerOpen ? POLLIN : 0) | (pending.empty() ? 0 : POLLOUT)), 0},
                         {inputOpen && pending.empty() ? InputFd : -1, POLLIN, 0}};
        Wait(fds, -1);
        if (peerOpen && Ready(fds[0])) {
            if (sending && PeerClosed()) {
                peerOpen = false;
            } else {
                WriteOutput(sock_.Receive(-1));
            }
        } else if (fds[0].revents & (POLLOUT | POLLERR | POLLHUP)) {
            Send(pending);
            pending.clear();
        } else if (Ready(fds[1]) && !ReadInput(pending)) {
            inputOpen = false;
            sock_.ShutdownSend();
        }
    }
}

// Readable with nothing to read: the peer's orderly close. A failure is left to Receive.
bool BlockingClient::PeerClosed() {
    char next;
    return WinSockLayer().recv(sock_.SocketHandle(), &next, 1, WsMsgPeek) == 0;
}

// The component's failure does not name the error; WinSock's last error does.
void BlockingClient::Send(const std::string& bytes) {
    try {
        sock_.Send(bytes);
    } catch (const ESockException& failure) {
        throw ESockException(std::string(failure.what()) + " " +
                             ErrorName(WinSockLayer().WSAGetLastError()));
    }
}

void BlockingClient::ExchangeDatagrams() {
    using Clock = std::chrono::steady_clock;
    LineSplitter lines;
    const auto send = [this](const std::string& line) { SendDatagramLine(sock_, line); };
    bool inputOpen = true;
    Clock::time_point end = Clock::time_point::max();
    while (inputOpen || Clock::now() < end) {
        pollfd fds[2] = {{sock_.SocketHandle(), POLLIN, 0}, {inputOpen ? InputFd : -1, POLLIN, 0}};
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        Wait(fds, inputOpen ? -1 : int(left.count()));
        if (std::string datagram; Ready(fds[0]) && ReceiveDatagramLine(sock_, datagram)) {
            WriteOutput(datagram + "\n");
        }
        std::string piece;
        if (!Ready(fds[1])) {
            continue;
        }
        if (ReadInput(piece)) {
            lines.Feed(piece, send);
        } else {
            lines.Finish(send);
            inputOpen = false;
            end = Clock::now() + LateAnswers;
        }
    }
}

} // namespace zintra
