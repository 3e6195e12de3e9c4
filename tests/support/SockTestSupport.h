#pragma once

#include "sock/Sock.h"
#include "tests/support/WinSockTestSupport.h"

#include <string>
#include <utility>
#include <vector>

namespace zintra {

// What a component reported through OnInfo, in order.
class InfoLog {
public:
    void Watch(TSock& sock);
    std::vector<std::string> Texts() const;
    const std::vector<std::pair<TSocketInfo, std::string>>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }

private:
    std::vector<std::pair<TSocketInfo, std::string>> entries_;
};

// The port a listening component is bound to.
std::uint16_t ListeningPort(const TSock& sock);

} // namespace zintra
