#include "core/Characters.h"

namespace zintra {
namespace {

bool InRange(const char* p, const char* end, unsigned char low, unsigned char high) {
    if (p >= end) {
        return false;
    }
    const auto byte = static_cast<unsigned char>(*p);
    return byte >= low && byte <= high;
}

bool Continuations(const char* p, const char* end, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!InRange(p + i, end, 0x80, 0xBF)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::size_t CharSize(const char* p, const char* end) {
    const auto lead = static_cast<unsigned char>(*p);
    if (lead < 0x80) {
        return 1;
    }
    // The allowed range of the second byte rules out overlong forms, surrogates and values
    // past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    std::size_t size = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 1;
    }
    if (!InRange(p + 1, end, low, high) || !Continuations(p + 2, end, size - 2)) {
        return 1;
    }
    return size;
}

} // namespace zintra
