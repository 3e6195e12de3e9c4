#pragma once

#include <memory>
#include <utility>

namespace zintra {

// Tells code that called out to a handler whether the object it works for still exists: the
// handler may have destroyed it. The object holds a Lifetime; the caller takes a Watch first.
class Lifetime {
public:
    class Watch {
    public:
        explicit Watch(std::shared_ptr<const bool> alive) : alive_(std::move(alive)) {}
        bool Alive() const { return *alive_; }

    private:
        std::shared_ptr<const bool> alive_;
    };

    Lifetime() = default;
    ~Lifetime() { *alive_ = false; }
    Lifetime(const Lifetime&) = delete;
    Lifetime& operator=(const Lifetime&) = delete;

    Watch Observe() const { return Watch(alive_); }

private:
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace zintra
