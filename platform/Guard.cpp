#include "platform/Guard.h"

#include "platform/Application.h"

#include <exception>

namespace zintra {

void Guard(const std::function<void()>& entry) {
    try {
        entry();
    } catch (const std::exception& failure) {
        Application::Instance().ShowException(failure);
    }
}

} // namespace zintra
