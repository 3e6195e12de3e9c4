#include "core/TextAssembly.h"

#include "core/Exceptions.h"

namespace zintra {
namespace {

constexpr std::string_view kDividerMark = "@@*DIV";
constexpr std::string_view kOrderMark = "@@*NORANDOM";
// How many lines ahead of the one appended the gathering fetches their slots and texts.
constexpr std::int32_t kSlotsAhead = 16;
constexpr std::int32_t kTextsAhead = 8;

// The assembled size, so the text is built without reallocating: a million entries would
// otherwise pass through several copies of themselves.
std::size_t AssembledSize(const LineList& lines, std::int32_t first, std::string_view title,
                          std::string_view divider) {
    const std::int32_t last = lines.Count() - 1;
    std::size_t size = title.size() + 1 + lines.Get(last).size();
    for (std::int32_t i = first; i < last; ++i) {
        size += lines.Get(i).size() + divider.size();
    }
    return size;
}

} // namespace

void TextAssembly::SetStrings(const LineList& lines, std::string& text) {
    usedIndices_.Clear();
    const std::string_view line0 = lines.Get(0);
    std::string_view divider = line0;
    std::string_view candidate = line0;
    std::int32_t k = 0;
    if (line0.starts_with(kDividerMark)) {
        divider = line0.substr(kDividerMark.size());
        candidate = lines.Get(1);
        k = 1;
    }
    const bool fileOrder = candidate == kOrderMark;
    const std::string_view title = fileOrder ? lines.Get(k + 1) : candidate;
    k += fileOrder ? 2 : 1;
    const std::int32_t last = lines.Count() - 1;

    text.reserve(text.size() + AssembledSize(lines, k, title, divider));
    text.append(title).append(" ");
    if (fileOrder) {
        for (std::int32_t i = k; i < last; ++i) {
            text.append(lines.Get(i)).append(divider);
        }
    } else {
        // Drawing all numbers first gives the same draws; the lines are then gathered in
        // that order with the next ones already on their way from memory.
        for (std::int32_t i = k; i < last; ++i) {
            GetRandom(k, last - 1);
        }
        const std::int32_t drawn = usedIndices_.Count();
        for (std::int32_t i = 0; i < drawn; ++i) {
            if (i + kSlotsAhead < drawn) {
                lines.PrefetchSlot(usedIndices_.Number(i + kSlotsAhead));
            }
            if (i + kTextsAhead < drawn) {
                lines.PrefetchText(usedIndices_.Number(i + kTextsAhead));
            }
            text.append(lines.Get(usedIndices_.Number(i))).append(divider);
        }
    }
    text.append(lines.Get(last));
}

std::int32_t TextAssembly::GetRandom(std::int32_t a, std::int32_t b) {
    if (a < 0) {
        throw EListError(a);
    }
    const auto range = static_cast<std::uint32_t>(b - a) + 1u;
    std::int32_t r;
    do {
        r = a + static_cast<std::int32_t>(random_.Random(range));
    } while (usedIndices_.Contains(r));
    usedIndices_.Add(r);
    return r;
}

} // namespace zintra
