#pragma once

#include "winsock/WinSock.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

namespace zintra {

// Bytes taken from connections ahead of the application's recv. Telling data from the peer's
// close needs a read; reading for real, rather than peeking, saves the second call, and the
// bytes wait here until recv asks for them. recv, FIONREAD and select see them before the
// socket's own. Any thread may ask; each socket holds at most one chunk, and only while bytes
// are left. Emptied chunks are kept for the next reads, a few of them, so that a busy connection
// does not allocate for every read. A store belongs to the socket it was read from, told by its
// identity: a socket closed outside the layer leaves its bytes to nobody that takes its number.
class ReadAhead {
public:
    static constexpr std::size_t ChunkSize = 65536;

    // One read of at most ChunkSize from s, the socket of that identity, into its store: the
    // bytes read, 0 once the peer has closed, or -1 with errno set. A store that still holds
    // bytes is not read into again: their count is returned.
    long Fill(TSocket s, ino_t identity);
    // Hands out up to len held bytes (leaving them held when peeking): the count, or -1 when s
    // holds none and the read goes to the socket.
    int Take(TSocket s, char* buf, int len, bool peek);
    std::size_t Held(TSocket s);
    // The socket closes: what it held is gone.
    void Drop(TSocket s);

private:
    using Chunk = std::unique_ptr<char[]>;
    struct Store {
        Chunk bytes;
        std::size_t begin = 0;
        std::size_t end = 0;
        bool whole = false; // bytes is a chunk of ChunkSize
        ino_t identity = 0;
    };

    static constexpr std::size_t SpareChunks = 4;

    // With the lock held: the store of s, if it holds bytes of this very socket.
    Store* Find(TSocket s);
    Chunk TakeSpare();
    void Release(Store& store);

    std::mutex lock_;
    std::unordered_map<TSocket, Store> stores_;
    std::vector<Chunk> spares_;
};

} // namespace zintra
