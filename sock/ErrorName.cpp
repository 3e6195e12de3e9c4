#include "sock/ErrorName.h"

#include <array>

namespace zintra {

namespace {

struct NameRange {
    std::int32_t first;
    const char* const* names;
    std::int32_t count;
};

constexpr const char* Names10004[] = {"WSAEINTR"};
constexpr const char* Names10009[] = {"WSAEBADF"};
constexpr const char* Names10013[] = {"WSAEACCES", "WSAEFAULT"};
constexpr const char* Names10022[] = {"WSAEINVAL"};
constexpr const char* Names10024[] = {"WSAEMFILE"};
constexpr const char* Names10035[] = {
    "WSAEWOULDBLOCK",     "WSAEINPROGRESS",     "WSAEALREADY",      "WSAENOTSOCK",
    "WSAEDESTADDRREQ",    "WSAEMSGSIZE",        "WSAEPROTOTYPE",    "WSAENOPROTOOPT",
    "WSAEPROTONOSUPPORT", "WSAESOCKTNOSUPPORT", "WSAEOPNOTSUPP",    "WSAEPFNOSUPPORT",
    "WSAEAFNOSUPPORT",    "WSAEADDRINUSE",      "WSAEADDRNOTAVAIL", "WSAENETDOWN",
    "WSAENETUNREACH",     "WSAENETRESET",       "WSAECONNABORTED",  "WSAECONNRESET",
    "WSAENOBUFS",         "WSAEISCONN",         "WSAENOTCONN",      "WSAESHUTDOWN",
    "WSAETOOMANYREFS",    "WSAETIMEDOUT",       "WSAECONNREFUSED",  "WSAELOOP",
    "WSAENAMETOOLONG",    "WSAEHOSTDOWN",       "WSAEHOSTUNREACH",  "WSAENOTEMPTY",
    "WSAEPROCLIM",        "WSAEUSERS",          "WSAEDQUOT",        "WSAESTALE",
    "WSAEREMOTE"};
constexpr const char* Names10091[] = {"WSASYSNOTREADY", "WSAVERNOTSUPPORTED", "WSANOTINITIALISED"};
constexpr const char* Names10101[] = {"WSAEDISCON"};
constexpr const char* Names11001[] = {"WSAHOST_NOT_FOUND", "WSATRY_AGAIN", "WSANO_RECOVERY",
                                      "WSANO_DATA"};

template <std::size_t N>
constexpr NameRange Range(std::int32_t first, const char* const (&names)[N]) {
    return {first, names, std::int32_t(N)};
}

constexpr std::array ranges = {
    Range(10004, Names10004), Range(10009, Names10009), Range(10013, Names10013),
    Range(10022, Names10022), Range(10024, Names10024), Range(10035, Names10035),
    Range(10091, Names10091), Range(10101, Names10101), Range(11001, Names11001),
};

} // namespace

std::string ErrorName(std::int32_t code) {
    for (const NameRange& range : ranges) {
        if (code >= range.first && code - range.first < range.count) {
            return range.names[code - range.first];
        }
    }
    return "UNKNOWN ERROR";
}

} // namespace zintra
