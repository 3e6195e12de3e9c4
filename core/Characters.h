#pragma once

#include <cstddef>

namespace zintra {

// The size in bytes of the character at `p`: one valid UTF-8 sequence (no overlong forms,
// surrogates or values past U+10FFFF), or else a single byte. `p` must be before `end`.
std::size_t CharSize(const char* p, const char* end);

} // namespace zintra
