#pragma once

#include "winsock/WinSock.h"

#include <sys/types.h>
#include <unordered_map>

namespace zintra {

// What the layer learned of a socket that outlives any one selection of it. The facts belong to
// the socket they were learned of, told by its identity: a number closed outside the layer and
// taken again inherits none. Used with the selections' lock held.
class SocketFacts {
public:
    // accept made s: it is a connection even once it has failed.
    void Accepted(TSocket s, ino_t identity);
    bool FromAccept(TSocket s);
    // The system tells a connection's reset once, to whoever reads it first; every later
    // selection of the socket learns it here. An errno value, 0 for none.
    void Reset(TSocket s, ino_t identity, int error);
    int ResetOf(TSocket s);
    // s closes: what was learned of it goes.
    void Forget(TSocket s) { facts_.erase(s); }

private:
    struct Facts {
        ino_t identity = 0;
        bool accepted = false;
        int reset = 0;
    };

    Facts& Of(TSocket s, ino_t identity);
    // The facts of s, if they are of this very socket; stale ones go.
    const Facts* Find(TSocket s);

    std::unordered_map<TSocket, Facts> facts_;
};

} // namespace zintra
