#pragma once

#include <string>

namespace zintra {

// What the message bar needs of its window: the bar's text and the scroll timer's switch.
// Switching the timer on restarts it, so the first tick comes a full interval later.
class MessageBarView {
public:
    virtual ~MessageBarView() = default;
    virtual void SetBarText(const std::string& text) = 0;
    virtual void SetTimerEnabled(bool enabled) = 0;
};

} // namespace zintra
