#include "HostCache.h"

#include <algorithm>

namespace {

// Host names are compared as DNS compares them: ASCII letters without regard to case,
// every other byte as it is, so that no two different byte strings are mistaken for one.
char Folded(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return Folded(x) == Folded(y); });
}

} // namespace

std::optional<std::uint32_t> THostCache::Find(std::string_view name) const {
    std::lock_guard guard(lock);
    for (const auto& [item, address] : items)
        if (SameName(item, name))
            return address;
    return std::nullopt;
}

void THostCache::Add(std::string name, std::uint32_t address) {
    std::lock_guard guard(lock);
    items.emplace_back(std::move(name), address);
}

int THostCache::Count() const {
    std::lock_guard guard(lock);
    return int(items.size());
}

void THostCache::Clear() {
    std::lock_guard guard(lock);
    items.clear();
}

THostCache& HostCache() {
    static THostCache cache;
    return cache;
}
