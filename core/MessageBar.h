#pragma once

#include "core/CharacterText.h"
#include "core/LineSource.h"
#include "core/MessageBarView.h"
#include "core/RandomGenerator.h"
#include "core/TextAssembly.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zintra {

// What the bar shows while a collection loads, and before any is chosen.
inline constexpr const char* kLoadingText = "Loading...";

// The message bar's state and logic: loading a collection (or the missing-collection text)
// into MessageText behind a lead-in of WindowWidth PadTexts, and moving a WindowWidth-character
// window over it by one character per tick. Positions and lengths count characters.
class MessageBar {
public:
    explicit MessageBar(MessageBarView& view) : view_(view), assembly_(random_) {}

    // PadText repeated n times; empty for n <= 0.
    std::string Buffer(std::int32_t n) const;

    // Shows the collection at `path`, or the missing-collection text when the path is empty or
    // names no regular file, and switches the timer on. Failures of reading or assembly
    // propagate with the timer off and the bar at "Loading..."; running out of memory is
    // ECollectionTooLarge.
    void Load(const std::string& path);

    // One scroll step: shows the next WindowWidth characters and advances ScrollPos.
    void Timer1Timer();

    // Replaces MessageText with the assembly of `lines` (no lead-in; MessageLength unchanged).
    void SetStrings(LineSource& lines);
    std::int32_t GetRandom(std::int32_t a, std::int32_t b) { return assembly_.GetRandom(a, b); }
    const DrawnIndices& UsedIndices() const { return assembly_.UsedIndices(); }

    // The position of the first character the bar shows now; 0 while it shows none of
    // MessageText ("Loading...").
    std::int32_t ShownPos() const { return shownPos_; }
    // The characters the bar shows now, from ShownPos on.
    std::string_view ShownText() const {
        return shownPos_ == 0 ? std::string_view() : messageText_.Part(shownPos_, windowWidth_);
    }
    // The number of the collection line whose text stands at character position `pos` of
    // MessageText; none in the lead-in, between entries, past the end, or for a text that is no
    // collection's.
    std::optional<std::int32_t> LineAt(std::int32_t pos) const;

    const std::string& MessageText() const { return messageText_.Bytes(); }
    std::int32_t MessageLength() const { return messageLength_; }
    std::int32_t ScrollPos() const { return scrollPos_; }
    void SetScrollPos(std::int32_t pos) { scrollPos_ = pos; }
    std::int32_t WindowWidth() const { return windowWidth_; }
    void SetWindowWidth(std::int32_t width) { windowWidth_ = width; }
    void SetPadText(std::string text) { padText_ = std::move(text); }
    const std::string& Separator() const { return separator_; }
    void SetSeparator(std::string text) { separator_ = std::move(text); }

    // The program's one generator; seed it once at start-up.
    RandomGenerator& Random() { return random_; }

private:
    void AppendCollection(const std::string& path, std::string& text);
    void AppendMissingCollection(std::string& text) const;

    MessageBarView& view_;
    RandomGenerator random_;
    TextAssembly assembly_;
    CharacterText messageText_;
    std::int32_t messageLength_ = 0;
    std::int32_t scrollPos_ = 0;
    std::int32_t shownPos_ = 0;
    // Where the assembled collection begins in MessageText, in bytes; none without one.
    std::optional<std::size_t> assemblyAt_;
    std::int32_t windowWidth_ = 55;
    std::string padText_ = " ";
    std::string separator_;
};

} // namespace zintra
