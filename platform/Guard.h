#pragma once

#include <functional>
#include <utility>

namespace zintra {

// Every entry from the event loop (ticks, menu commands, creation handlers) runs through here:
// a failure is shown in the application's error box and the program goes on, so no exception
// ever unwinds through Qt.
void Guard(const std::function<void()>& entry);

// Wraps a handler for connecting to a signal, so that it runs through Guard.
template <class Handler> auto Guarded(Handler handler) {
    return [handler = std::move(handler)](auto&&... args) {
        Guard([&] { handler(std::forward<decltype(args)>(args)...); });
    };
}

} // namespace zintra
