#include "winsock/PosixCalls.h"
#include "winsock/PosixWinSock.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <poll.h>
#include <sys/socket.h>
#include <vector>

namespace zintra {

using posix::Fail;
using posix::FailFromErrno;

namespace {

// Which of select's sets named a socket.
struct NamedIn {
    bool read = false;
    bool write = false;
    bool except = false;
};

// The sockets of one select call, each once in the order first named: what poll watches for
// it, and the sets that named it.
struct SelectRequest {
    std::vector<pollfd> polls;
    std::vector<NamedIn> named;
};

SelectRequest BuildSelect(const FdSet* readfds, const FdSet* writefds, const FdSet* exceptfds) {
    SelectRequest request;
    const auto add = [&request](const FdSet* set, short events, bool NamedIn::*flag) {
        if (!set) {
            return;
        }
        for (std::uint32_t i = 0; i < set->fd_count; ++i) {
            const TSocket s = set->fd_array[i];
            auto it = std::ranges::find(request.polls, s, &pollfd::fd);
            if (it == request.polls.end()) {
                request.polls.push_back({s, 0, 0});
                request.named.emplace_back();
                it = request.polls.end() - 1;
            }
            it->events = short(it->events | events);
            request.named[std::size_t(it - request.polls.begin())].*flag = true;
        }
    };
    add(readfds, POLLIN, &NamedIn::read);
    add(writefds, POLLOUT, &NamedIn::write);
    add(exceptfds, POLLPRI, &NamedIn::except);
    return request;
}

// Polls until a socket is ready or the time-out (none: no limit) has passed; a signal does not
// end the wait. The count of ready sockets, or -1 with errno set.
int WaitUntilReady(std::vector<pollfd>& polls, const TimeVal* timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = timeout ? Clock::now() + std::chrono::seconds(timeout->tv_sec) +
                                        std::chrono::microseconds(timeout->tv_usec)
                                  : Clock::time_point::max();
    for (;;) {
        int waitMs = -1;
        if (timeout) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            waitMs = int(std::clamp<std::int64_t>(left.count(), 0, INT_MAX));
        }
        const int ready = ::poll(polls.data(), polls.size(), waitMs);
        if (ready > 0 || (ready == 0 && (!timeout || Clock::now() >= deadline))) {
            return ready;
        }
        if (ready < 0 && errno != EINTR) {
            return -1;
        }
    }
}

// Leaves in each set only those of its sockets that are ready; the count of what is left, or a
// failure when a socket was not open.
int WriteBack(const SelectRequest& request, FdSet* readfds, FdSet* writefds, FdSet* exceptfds) {
    for (FdSet* set : {readfds, writefds, exceptfds}) {
        if (set) {
            set->fd_count = 0;
        }
    }
    int count = 0;
    for (std::size_t i = 0; i < request.polls.size(); ++i) {
        const short revents = request.polls[i].revents;
        if (revents & POLLNVAL) {
            return Fail(WSAENOTSOCK);
        }
        const auto keep = [&count, s = request.polls[i].fd](FdSet* set, bool named, bool ready) {
            if (named && ready) {
                set->Add(s);
                ++count;
            }
        };
        const NamedIn& named = request.named[i];
        keep(readfds, named.read, revents & (POLLIN | POLLHUP | POLLERR));
        keep(writefds, named.write, revents & (POLLOUT | POLLERR));
        keep(exceptfds, named.except, revents & POLLPRI);
    }
    return count;
}

} // namespace

int PosixWinSock::select(int, FdSet* readfds, FdSet* writefds, FdSet* exceptfds,
                         const TimeVal* timeout) {
    SelectRequest request = BuildSelect(readfds, writefds, exceptfds);
    if (request.polls.empty() || (timeout && (timeout->tv_sec < 0 || timeout->tv_usec < 0))) {
        return Fail(WSAEINVAL);
    }
    // Bytes read ahead make a socket readable at once.
    std::vector<std::size_t> held;
    for (std::size_t i = 0; i < request.polls.size(); ++i) {
        if (request.named[i].read && readAhead_.Held(request.polls[i].fd) > 0) {
            held.push_back(i);
        }
    }
    const TimeVal now{0, 0};
    if (WaitUntilReady(request.polls, held.empty() ? timeout : &now) < 0) {
        return FailFromErrno();
    }
    for (const std::size_t i : held) {
        request.polls[i].revents |= POLLIN;
    }
    return WriteBack(request, readfds, writefds, exceptfds);
}

int PosixWinSock::WSAAsyncSelect(TSocket s, QObject* target, unsigned msg, long mask) {
    if (mask != 0 && !target) {
        return Fail(WSAEINVAL);
    }
    if (mask != 0) {
        int type = 0;
        socklen_t length = sizeof type;
        if (::getsockopt(s, SOL_SOCKET, SO_TYPE, &type, &length) != 0) {
            return FailFromErrno();
        }
        std::uint32_t nonBlocking = 1;
        if (ioctlsocket(s, WsFionbio, &nonBlocking) != 0) {
            return SOCKET_ERROR;
        }
    }
    if (const int error = selections_.Select(s, target, msg, mask); error != 0) {
        return Fail(WinSockErrorFromErrno(error));
    }
    return 0;
}

} // namespace zintra
