#include "winsock/SocketFacts.h"

#include "winsock/SocketIdentity.h"

namespace zintra {

SocketFacts::Facts& SocketFacts::Of(TSocket s, ino_t identity) {
    Facts& facts = facts_[s];
    if (facts.identity != identity) {
        facts = Facts{identity};
    }
    return facts;
}

const SocketFacts::Facts* SocketFacts::Find(TSocket s) {
    const auto it = facts_.find(s);
    if (it == facts_.end()) {
        return nullptr;
    }
    if (SameSocket(s, it->second.identity)) {
        return &it->second;
    }
    facts_.erase(it);
    return nullptr;
}

void SocketFacts::Accepted(TSocket s, ino_t identity) {
    Of(s, identity).accepted = true;
}

bool SocketFacts::FromAccept(TSocket s) {
    const Facts* facts = Find(s);
    return facts && facts->accepted;
}

void SocketFacts::Reset(TSocket s, ino_t identity, int error) {
    Of(s, identity).reset = error;
}

int SocketFacts::ResetOf(TSocket s) {
    const Facts* facts = Find(s);
    return facts ? facts->reset : 0;
}

} // namespace zintra
