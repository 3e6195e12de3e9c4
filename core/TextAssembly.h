#pragma once

#include "core/DrawnIndices.h"
#include "core/LineSource.h"
#include "core/RandomGenerator.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace zintra {

// Turns the lines of a collection into the one text that scrolls: the optional "@@*DIV" line
// sets the Divider, the optional "@@*NORANDOM" line keeps file order, the title comes first
// and the last line last.
class TextAssembly {
public:
    explicit TextAssembly(RandomGenerator& random) : random_(random) {}

    // Appends the assembled text to `text`: Measure, then Assemble.
    void SetStrings(LineSource& lines, std::string& text);

    // The lines are read twice, so that they need not all be held at once. The first reading
    // takes their lengths, which fix where each goes; it raises what reading them raises.
    void Measure(LineSource& lines);
    // The second reading puts the lines just measured in their places, appended to `text`.
    // EListError names the first missing line when there are too few lines for the marker lines
    // present; lines that differ from the first reading raise ECollectionChanged. `text` is
    // unchanged on failure.
    void Assemble(LineSource& lines, std::string& text);

    // A line number from a to b (0 <= a <= b) not drawn yet in this assembly; records it.
    // At least one number from a to b must be left undrawn.
    std::int32_t GetRandom(std::int32_t a, std::int32_t b);

    const DrawnIndices& UsedIndices() const { return usedIndices_; }

    // The number of the line whose text stands at byte `offset` of the text the last successful
    // assembly appended; none for the blank after the title, a Divider, or past its end.
    std::optional<std::int32_t> LineAt(std::uint64_t offset) const;

    // What the first reading found: each line's length, held in 32 bits while every one fits.
    // Held in blocks, since their number is not known ahead: growing never copies them.
    struct Plan {
        std::deque<std::uint32_t> lengths;
        std::deque<std::uint64_t> wideLengths; // all of them, once one does not fit
        std::uint64_t fingerprint = 0;         // of the lengths, to see the next reading agrees
        std::string line0;
        std::string line1;

        std::size_t Count() const { return lengths.size() + wideLengths.size(); }
        std::uint64_t Length(std::size_t line) const {
            return wideLengths.empty() ? lengths[line] : wideLengths[line];
        }
        void Add(std::uint64_t length);
        // Holds every length in 64 bits from now on.
        void Widen();
    };

    // Where the last assembly put its lines, relative to the start of its text: the title at 0,
    // each entry at its place (`places`, by line number, once every length has been read), the
    // last line at lastAt. Entries stand in UsedIndices' order, or in file order when it is empty.
    struct Placement {
        std::int32_t title = 0;
        std::int32_t firstEntry = 0;
        std::int32_t last = -1;
        std::uint64_t titleLength = 0;
        std::uint64_t lastAt = 0;
        std::uint64_t size = 0;
        std::uint64_t dividerSize = 0;
        std::deque<std::uint32_t> places;
        std::deque<std::uint64_t> widePlaces;

        std::uint64_t Place(std::int32_t line) const {
            const auto slot = static_cast<std::size_t>(line);
            return widePlaces.empty() ? places[slot] : widePlaces[slot];
        }
    };

private:
    RandomGenerator& random_;
    DrawnIndices usedIndices_;
    Plan plan_;
    Placement placement_;
};

} // namespace zintra
