#include "winsock/WinSock.h"

#include "winsock/PosixWinSock.h"

#include <algorithm>
#include <atomic>

namespace zintra {

void FdSet::Add(TSocket s) {
    if (!Contains(s) && fd_count < Capacity) {
        fd_array[fd_count++] = s;
    }
}

bool FdSet::Contains(TSocket s) const {
    return std::find(fd_array, fd_array + fd_count, s) != fd_array + fd_count;
}

namespace {

WinSock& PlatformLayer() {
    static PosixWinSock layer;
    return layer;
}

std::atomic<WinSock*> installed{nullptr};

} // namespace

WinSock& WinSockLayer() {
    WinSock* layer = installed.load(std::memory_order_acquire);
    return layer ? *layer : PlatformLayer();
}

WinSock& InstallWinSockLayer(WinSock& layer) {
    WinSock& previous = WinSockLayer();
    installed.store(&layer, std::memory_order_release);
    return previous;
}

} // namespace zintra
