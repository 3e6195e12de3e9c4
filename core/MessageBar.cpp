#include "core/MessageBar.h"

#include "core/CollectionErrors.h"
#include "core/CollectionFile.h"
#include "core/FileExists.h"

#include <algorithm>
#include <limits>
#include <new>

namespace zintra {
namespace {

// Shown, each followed by the Separator, when there is no collection to show.
constexpr const char* kMissingMessages[] = {
    "The collection of quotes/jokes that has been used by Zintra has been moved, dleted, "
    "renamed, or has not been set.",
    "You need to set a collection, or \"source\", of quotes/jokes in order for zintra to work. "
    "These quotes or jokes will then be displayed by Zintra in an easy to read scrolling message "
    "bar.",
    "If this is your first time using Zintra, a collection of quotes/jokes has not been set yet. "
    "You can acccess help material, by right-clicking this message bar, and choosing the "
    "\"Help\" option from the menu that opens.",
};

} // namespace

std::string MessageBar::Buffer(std::int32_t n) const {
    std::string text;
    if (n > 0) {
        text.reserve(padText_.size() * static_cast<std::size_t>(n));
    }
    for (std::int32_t i = 0; i < n; ++i) {
        text += padText_;
    }
    return text;
}

void MessageBar::Load(const std::string& path) {
    view_.SetTimerEnabled(false);
    view_.SetBarText(kLoadingText);
    shownPos_ = 0;
    assemblyAt_.reset();
    try {
        // The lead-in comes first and the text is assembled behind it, so no copy is made.
        std::string text = Buffer(windowWidth_);
        const std::size_t leadIn = text.size();
        if (FileExists(path) && !path.empty()) {
            AppendCollection(path, text);
            assemblyAt_ = leadIn;
        } else {
            AppendMissingCollection(text);
        }
        messageText_ = CharacterText(std::move(text));
    } catch (const std::bad_alloc&) {
        // All that the load held is free again by now, so the program can go on.
        throw ECollectionTooLarge();
    }
    messageLength_ = messageText_.Length();
    view_.SetTimerEnabled(true);
}

void MessageBar::AppendCollection(const std::string& path, std::string& text) {
    CollectionFile lines{TextFile(path)};
    assembly_.Measure(lines);
    // The assembly starts by emptying MessageText, which also frees it for the new text.
    messageText_ = CharacterText();
    assembly_.Assemble(lines, text);
}

void MessageBar::AppendMissingCollection(std::string& text) const {
    for (const char* message : kMissingMessages) {
        text.append(message).append(separator_);
    }
}

void MessageBar::SetStrings(LineSource& lines) {
    messageText_ = CharacterText();
    assemblyAt_.reset();
    std::string text;
    assembly_.SetStrings(lines, text);
    messageText_ = CharacterText(std::move(text));
    assemblyAt_ = 0;
}

std::optional<std::int32_t> MessageBar::LineAt(std::int32_t pos) const {
    if (!assemblyAt_ || pos < 1 || pos > messageText_.Length()) {
        return std::nullopt;
    }
    const std::size_t offset = messageText_.ByteOffset(pos);
    if (offset < *assemblyAt_) {
        return std::nullopt;
    }
    return assembly_.LineAt(offset - *assemblyAt_);
}

void MessageBar::Timer1Timer() {
    if (scrollPos_ > messageLength_) {
        scrollPos_ = 0;
    }
    const std::string part(messageText_.Part(scrollPos_, windowWidth_));
    shownPos_ = std::max(scrollPos_, 1);
    // At the largest length the step past the end wraps at once instead of overflowing.
    scrollPos_ = scrollPos_ == std::numeric_limits<std::int32_t>::max() ? 0 : scrollPos_ + 1;
    view_.SetBarText(part);
}

} // namespace zintra
