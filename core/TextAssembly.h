#pragma once

#include "core/DrawnIndices.h"
#include "core/LineList.h"
#include "core/RandomGenerator.h"

#include <cstdint>
#include <string>

namespace zintra {

// Turns the lines of a collection into the one text that scrolls: the optional "@@*DIV" line
// sets the Divider, the optional "@@*NORANDOM" line keeps file order, the title comes first
// and the last line last.
class TextAssembly {
public:
    explicit TextAssembly(RandomGenerator& random) : random_(random) {}

    // Appends the assembled text to `text`. EListError names the first missing line when
    // there are too few lines for the marker lines present; `text` is then unchanged.
    void SetStrings(const LineList& lines, std::string& text);

    // A line number from a to b (0 <= a <= b) not drawn yet in this assembly; records it.
    // At least one number from a to b must be left undrawn.
    std::int32_t GetRandom(std::int32_t a, std::int32_t b);

    const DrawnIndices& UsedIndices() const { return usedIndices_; }

private:
    RandomGenerator& random_;
    DrawnIndices usedIndices_;
};

} // namespace zintra
