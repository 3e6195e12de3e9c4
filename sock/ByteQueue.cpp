#include "sock/ByteQueue.h"

#include <algorithm>

namespace zintra {

void ByteQueue::Append(std::string_view bytes) {
    storage_.append(bytes);
}

void ByteQueue::AppendOwned(std::string&& bytes) {
    if (Empty()) {
        storage_ = std::move(bytes);
        head_ = 0;
    } else {
        Append(std::string_view(bytes));
    }
}

void ByteQueue::Prepend(std::string_view bytes) {
    if (bytes.size() <= head_) {
        head_ -= bytes.size();
        storage_.replace(head_, bytes.size(), bytes);
        return;
    }
    std::string joined;
    joined.reserve(bytes.size() + Size());
    joined.append(bytes).append(View());
    storage_ = std::move(joined);
    head_ = 0;
}

void ByteQueue::Drop(std::size_t count) {
    head_ += std::min(count, Size());
    if (head_ == storage_.size()) {
        Clear();
    } else if (head_ > storage_.size() / 2) {
        storage_.erase(0, head_);
        head_ = 0;
    }
}

std::string ByteQueue::Take(std::size_t count) {
    std::string front(View().substr(0, count));
    Drop(front.size());
    return front;
}

std::string ByteQueue::TakeAll() {
    std::string all = head_ == 0 ? std::move(storage_) : std::string(View());
    Clear();
    return all;
}

void ByteQueue::Clear() {
    storage_.clear();
    head_ = 0;
}

} // namespace zintra
