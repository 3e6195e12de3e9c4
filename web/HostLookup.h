#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zintra {

// Finds the IPv4 address of a host name on a thread of its own, so that a name server that
// does not answer holds up nothing but the look-up. A look-up cannot be stopped, only
// abandoned: its answer is then dropped, and its thread ends when the resolver gives up.
class HostLookup : public QObject {
public:
    using QObject::QObject;
    ~HostLookup() override;

    // Looks `name` up, abandoning the look-up under way. OnDone arrives from the event loop with
    // the address as dotted text, or nothing when the name was not found.
    void Start(const std::string& name);
    void Cancel();

    std::function<void(const std::optional<std::string>& address)> OnDone;

private:
    struct Pending;
    std::shared_ptr<Pending> pending_;
};

} // namespace zintra
