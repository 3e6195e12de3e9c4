#pragma once

#include "base/StringList.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace zintra {

// Host names resolved once in this run, each with its IPv4 address in network order, in the
// order they were added. Components on several threads may look up at the same time.
class THostCache {
public:
    // The address of the first name equal to name, ignoring letter case.
    std::optional<std::uint32_t> Find(std::string_view name) const;
    void Add(std::string name, std::uint32_t address);
    int Count() const;
    void Clear();

private:
    mutable std::mutex lock_;
    zintra::TStringListOf<std::uint32_t> items_;
};

// Shared by every TSock; emptied by the unit's start-up and shut-down.
THostCache& HostCache();

} // namespace zintra
