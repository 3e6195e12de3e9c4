#include "tests/support/SockTestSupport.h"

namespace zintra {

void InfoLog::Watch(TSock& sock) {
    sock.OnInfo = [this](QObject*, TSocketInfo kind, std::string text) {
        entries_.emplace_back(kind, std::move(text));
    };
}

std::vector<std::string> InfoLog::Texts() const {
    std::vector<std::string> texts;
    for (const auto& entry : entries_) {
        texts.push_back(entry.second);
    }
    return texts;
}

std::uint16_t ListeningPort(const TSock& sock) {
    return LocalPort(sock.SocketHandle());
}

} // namespace zintra
