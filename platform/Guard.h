#pragma once

#include <functional>
#include <utility>

namespace zintra {

// Every entry from the event loop (ticks, menu commands, creation handlers) runs through here:
// a failure is shown in the application's error box and the program goes on, so no exception
// ever unwinds through Qt.
void Guard(const std::function<void()>& entry);

// Wraps a handler for connecting to a signal, so that it runs through Guard. The signal's
// arguments are not passed on: our handlers take none.
template <class Handler> auto Guarded(Handler handler) {
    return [handler = std::move(handler)] { Guard(handler); };
}

} // namespace zintra
