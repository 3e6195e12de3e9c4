#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zintra {

// Bytes in arrival order whose front can be taken in amortised constant time: taken bytes
// are only skipped, and the storage is compacted once they outweigh the bytes still held.
class ByteQueue {
public:
    std::size_t Size() const { return storage_.size() - head_; }
    bool Empty() const { return Size() == 0; }
    // The bytes held, oldest first; valid until the queue next changes.
    std::string_view View() const { return std::string_view(storage_).substr(head_); }

    void Append(std::string_view bytes);
    // Takes the string's storage over when nothing is held.
    void AppendOwned(std::string&& bytes);
    // Puts bytes back in front of those held, for a reader that took more than it wanted.
    void Prepend(std::string_view bytes);
    void Drop(std::size_t count);
    std::string Take(std::size_t count);
    std::string TakeAll();
    void Clear();

private:
    std::string storage_;
    std::size_t head_ = 0;
};

} // namespace zintra
