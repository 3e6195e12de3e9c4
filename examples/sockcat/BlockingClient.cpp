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
// reads again.
void BlockingClient::CopyStream() {
    std::string pending;
    bool inputOpen = true;
    while (sock_.SocketHandle() != INVALID_SOCKET) {
        pollfd fds[2] = {{sock_.SocketHandle(), short(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0},
                         {inputOpen && pending.empty() ? InputFd : -1, POLLIN, 0}};
        Wait(fds, -1);
        if (Ready(fds[0])) {
            WriteOutput(sock_.Receive(-1));
        } else if (fds[0].revents & POLLOUT) {
            Send(pending);
            pending.clear();
        } else if (Ready(fds[1]) && !ReadInput(pending)) {
            inputOpen = false;
            sock_.ShutdownSend();
        }
    }
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
