#include "sock/HostCache.h"

namespace zintra {

std::optional<std::uint32_t> THostCache::Find(std::string_view name) const {
    std::lock_guard guard(lock_);
    const std::int32_t index = items_.IndexOf(name);
    if (index < 0) {
        return std::nullopt;
    }
    return items_.GetObject(index);
}

void THostCache::Add(std::string name, std::uint32_t address) {
    std::lock_guard guard(lock_);
    items_.Add(std::move(name), address);
}

int THostCache::Count() const {
    std::lock_guard guard(lock_);
    return items_.Count();
}

void THostCache::Clear() {
    std::lock_guard guard(lock_);
    items_.Clear();
}

THostCache& HostCache() {
    static THostCache cache;
    return cache;
}

} // namespace zintra
