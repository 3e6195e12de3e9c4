#include "sock/HostCache.h"

std::optional<std::uint32_t> THostCache::Find(std::string_view name) const {
    std::lock_guard guard(lock);
    const std::int32_t index = items.IndexOf(name);
    if (index < 0)
        return std::nullopt;
    return items.GetObject(index);
}

void THostCache::Add(std::string name, std::uint32_t address) {
    std::lock_guard guard(lock);
    items.Add(std::move(name), address);
}

int THostCache::Count() const {
    std::lock_guard guard(lock);
    return items.Count();
}

void THostCache::Clear() {
    std::lock_guard guard(lock);
    items.Clear();
}

THostCache& HostCache() {
    static THostCache cache;
    return cache;
}
