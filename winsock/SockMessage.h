#pragma once

#include "winsock/WinSock.h"

#include <QEvent>
#include <cstdint>

namespace zintra {

// A socket notification as the event posted to its component: the message number (WM_SOCK) is
// the event type, wParam the socket, lParam the event in its low word and the error in its high.
class TSockMessage : public QEvent {
public:
    TSockMessage(unsigned msg, TSocket wParam, std::uint32_t lParam)
        : QEvent(QEvent::Type(msg)), WParam(wParam), LParam(lParam) {}

    static std::uint32_t MakeLParam(int event, int error) {
        return std::uint32_t(event & 0xFFFF) | std::uint32_t(error & 0xFFFF) << 16;
    }

    TSocket WParam;
    std::uint32_t LParam;
};

} // namespace zintra
