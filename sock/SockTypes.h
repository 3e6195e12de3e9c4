#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class QObject;

namespace zintra {

class TSock;

enum TSocketType : std::uint8_t { stStream, stDatagram };
enum TLineBreak : std::uint8_t { lbCRLF, lbCR, lbLF, lbSmart };
enum TSocketInfo : std::uint8_t {
    siLookUp,
    siConnect,
    siClose,
    siListen,
    siReceive,
    siSend,
    siAccept,
    siError
};

// Handlers bound to their objects; an empty one is skipped wherever it would be raised.
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TNotifyReadEvent = std::function<void(QObject* Sender, std::int32_t Count)>;
using TNotifyAutoEvent = std::function<void(QObject* Sender, TSock* NewSock)>;
using TNotifyInfoEvent =
    std::function<void(QObject* sender, TSocketInfo SocketInfo, std::string Msg)>;

// A label for each kind of info report, for applications that show or log them.
inline const std::array<std::string, 8> SocketInfoText = {"Lookup",  "Connect", "Close",  "Listen",
                                                          "Receive", "Send",    "Accept", "Error"};

} // namespace zintra
