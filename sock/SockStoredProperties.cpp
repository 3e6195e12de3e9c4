#include "sock/Sock.h"

#include <map>

namespace zintra {

namespace {

constexpr const char* SocketTypeIdentifiers[] = {"stStream", "stDatagram"};
constexpr const char* LineBreakIdentifiers[] = {"lbCRLF", "lbCR", "lbLF", "lbSmart"};

using Setter = void (*)(TSock&, const StoredProperty&);

// Every property a form stores for a TSock, each applied through the same setter as an
// assignment in code.
const std::map<std::string, Setter, std::less<>>& Setters() {
    static const std::map<std::string, Setter, std::less<>> setters = {
        {"Name",
         [](TSock& s, const StoredProperty& p) {
             s.setObjectName(QString::fromStdString(StoredText(p)));
         }},
        {"Left",
         [](TSock& s, const StoredProperty& p) {
             s.SetBounds(StoredInt(p), s.Top(), s.Width(), s.Height());
         }},
        {"Top",
         [](TSock& s, const StoredProperty& p) {
             s.SetBounds(s.Left(), StoredInt(p), s.Width(), s.Height());
         }},
        {"Width",
         [](TSock& s, const StoredProperty& p) {
             s.SetBounds(s.Left(), s.Top(), StoredInt(p), s.Height());
         }},
        {"Height",
         [](TSock& s, const StoredProperty& p) {
             s.SetBounds(s.Left(), s.Top(), s.Width(), StoredInt(p));
         }},
        {"SocketType",
         [](TSock& s, const StoredProperty& p) {
             s.SetSocketType(TSocketType(StoredEnum(p, SocketTypeIdentifiers)));
         }},
        {"HostName", [](TSock& s, const StoredProperty& p) { s.SetHostName(StoredText(p)); }},
        {"PortName", [](TSock& s, const StoredProperty& p) { s.SetPortName(StoredText(p)); }},
        {"LocalPortName",
         [](TSock& s, const StoredProperty& p) { s.SetLocalPortName(StoredText(p)); }},
        {"Blocking", [](TSock& s, const StoredProperty& p) { s.SetBlocking(StoredBool(p)); }},
        {"AutoAccept", [](TSock& s, const StoredProperty& p) { s.SetAutoAccept(StoredBool(p)); }},
        {"Listen", [](TSock& s, const StoredProperty& p) { s.SetListen(StoredBool(p)); }},
        {"LineBreak",
         [](TSock& s, const StoredProperty& p) {
             s.SetLineBreak(TLineBreak(StoredEnum(p, LineBreakIdentifiers)));
         }},
        {"BlockingTimeout",
         [](TSock& s, const StoredProperty& p) { s.SetBlockingTimeout(StoredInt(p)); }},
    };
    return setters;
}

} // namespace

void TSock::ApplyStoredProperty(const StoredProperty& property) {
    const auto setter = Setters().find(property.Name);
    if (setter == Setters().end()) {
        throw EReadError("Property " + property.Name + " does not exist");
    }
    setter->second(*this, property);
}

} // namespace zintra
