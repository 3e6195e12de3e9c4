#include "sock/PosixReadAhead.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>

namespace zintra {

long ReadAhead::Fill(TSocket s) {
    if (const std::size_t held = Held(s); held > 0) {
        return long(held);
    }
    auto bytes = std::make_unique_for_overwrite<char[]>(ChunkSize);
    ssize_t result;
    do {
        result = ::recv(s, bytes.get(), ChunkSize, MSG_DONTWAIT);
    } while (result < 0 && errno == EINTR);
    if (result <= 0) {
        return long(result);
    }
    // A short read keeps only what it holds: a connection whose bytes wait unread keeps at
    // most four times their size.
    const std::size_t count = std::size_t(result);
    if (count < ChunkSize / 4) {
        auto fitted = std::make_unique_for_overwrite<char[]>(count);
        std::memcpy(fitted.get(), bytes.get(), count);
        bytes = std::move(fitted);
    }
    std::lock_guard guard(lock_);
    stores_[s] = Store{std::move(bytes), 0, count};
    return long(result);
}

int ReadAhead::Take(TSocket s, char* buf, int len, bool peek) {
    std::lock_guard guard(lock_);
    const auto it = stores_.find(s);
    if (it == stores_.end()) {
        return -1;
    }
    Store& store = it->second;
    const std::size_t count = std::min(std::size_t(std::max(len, 0)), store.end - store.begin);
    if (count > 0) {
        std::memcpy(buf, store.bytes.get() + store.begin, count);
    }
    if (!peek && (store.begin += count) == store.end) {
        stores_.erase(it);
    }
    return int(count);
}

std::size_t ReadAhead::Held(TSocket s) {
    std::lock_guard guard(lock_);
    const auto it = stores_.find(s);
    return it == stores_.end() ? 0 : it->second.end - it->second.begin;
}

void ReadAhead::Drop(TSocket s) {
    std::lock_guard guard(lock_);
    stores_.erase(s);
}

} // namespace zintra
