#include "winsock/ReadAhead.h"

#include "winsock/SocketIdentity.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>

namespace zintra {

long ReadAhead::Fill(TSocket s, ino_t identity) {
    if (const std::size_t held = Held(s); held > 0) {
        return long(held);
    }
    Chunk bytes = TakeSpare();
    ssize_t result;
    do {
        result = ::recv(s, bytes.get(), ChunkSize, MSG_DONTWAIT);
    } while (result < 0 && errno == EINTR);
    const int error = errno;
    const std::size_t count = std::size_t(std::max<ssize_t>(result, 0));
    std::lock_guard guard(lock_);
    Store store{std::move(bytes), 0, count, true, identity};
    // A short read keeps only what it holds: a connection whose bytes wait unread keeps at
    // most four times their size.
    if (count > 0 && count < ChunkSize / 4) {
        Chunk fitted = std::make_unique_for_overwrite<char[]>(count);
        std::memcpy(fitted.get(), store.bytes.get(), count);
        Release(store);
        store = Store{std::move(fitted), 0, count, false, identity};
    }
    if (count > 0) {
        stores_[s] = std::move(store);
    } else {
        Release(store);
    }
    errno = error;
    return long(result);
}

int ReadAhead::Take(TSocket s, char* buf, int len, bool peek) {
    std::lock_guard guard(lock_);
    Store* store = Find(s);
    if (!store) {
        return -1;
    }
    const std::size_t count = std::min(std::size_t(std::max(len, 0)), store->end - store->begin);
    if (count > 0) {
        std::memcpy(buf, store->bytes.get() + store->begin, count);
    }
    if (!peek && (store->begin += count) == store->end) {
        Release(*store);
        stores_.erase(s);
    }
    return int(count);
}

std::size_t ReadAhead::Held(TSocket s) {
    std::lock_guard guard(lock_);
    const Store* store = Find(s);
    return store ? store->end - store->begin : 0;
}

ReadAhead::Store* ReadAhead::Find(TSocket s) {
    const auto it = stores_.find(s);
    if (it == stores_.end()) {
        return nullptr;
    }
    if (SameSocket(s, it->second.identity)) {
        return &it->second;
    }
    Release(it->second);
    stores_.erase(it);
    return nullptr;
}

void ReadAhead::Drop(TSocket s) {
    std::lock_guard guard(lock_);
    if (const auto it = stores_.find(s); it != stores_.end()) {
        Release(it->second);
        stores_.erase(it);
    }
}

ReadAhead::Chunk ReadAhead::TakeSpare() {
    {
        std::lock_guard guard(lock_);
        if (!spares_.empty()) {
            Chunk spare = std::move(spares_.back());
            spares_.pop_back();
            return spare;
        }
    }
    return std::make_unique_for_overwrite<char[]>(ChunkSize);
}

// With the lock held.
void ReadAhead::Release(Store& store) {
    if (store.whole && spares_.size() < SpareChunks) {
        spares_.push_back(std::move(store.bytes));
    }
    store.bytes.reset();
}

} // namespace zintra
