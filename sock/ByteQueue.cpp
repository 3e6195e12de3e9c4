#include "sock/ByteQueue.h"

#include <algorithm>

void ByteQueue::Append(std::string_view bytes) {
    storage.append(bytes);
}

void ByteQueue::Prepend(std::string_view bytes) {
    if (bytes.size() <= head) {
        head -= bytes.size();
        storage.replace(head, bytes.size(), bytes);
        return;
    }
    std::string joined;
    joined.reserve(bytes.size() + Size());
    joined.append(bytes).append(View());
    storage = std::move(joined);
    head = 0;
}

void ByteQueue::Drop(std::size_t count) {
    head += std::min(count, Size());
    if (head == storage.size()) {
        Clear();
    } else if (head > storage.size() / 2) {
        storage.erase(0, head);
        head = 0;
    }
}

std::string ByteQueue::Take(std::size_t count) {
    std::string front(View().substr(0, count));
    Drop(front.size());
    return front;
}

std::string ByteQueue::TakeAll() {
    std::string all = head == 0 ? std::move(storage) : std::string(View());
    Clear();
    return all;
}

void ByteQueue::Clear() {
    storage.clear();
    head = 0;
}
