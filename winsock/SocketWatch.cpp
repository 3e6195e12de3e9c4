#include "winsock/SocketWatch.h"

#include "winsock/ReadySet.h"

#include <atomic>
#include <cerrno>

namespace zintra {

namespace {

std::atomic<std::uint32_t> generations{0};

} // namespace

SocketWatch::SocketWatch(TSocket s, AsyncSelection& selection)
    : s_(s), selection_(selection), generation_(++generations) {}

SocketWatch::~SocketWatch() {
    if (set_) {
        set_->Forget(s_, generation_);
    }
}

int SocketWatch::Watch(std::uint32_t events, bool lazy) {
    if (!set_) {
        if (events == 0) {
            return 0;
        }
        set_ = ReadySet::Join();
        if (!set_) {
            return errno;
        }
    }
    return set_->Watch(s_, &selection_, generation_, events, lazy) ? 0 : errno;
}

void SocketWatch::Leave() const {
    if (set_) {
        set_->Leave(s_);
    }
}

} // namespace zintra
