#include "TextAssembly.h"

#include "Exceptions.h"

namespace zintra {
namespace {

constexpr std::string_view kDividerMark = "@@*DIV";
constexpr std::string_view kOrderMark = "@@*NORANDOM";

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

std::string TextAssembly::SetStrings(const LineList& lines) {
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
    const std::int32_t n = lines.Count();

    std::string text;
    text.reserve(AssembledSize(lines, k, title, divider));
    text.append(title).append(" ");
    for (std::int32_t i = k; i <= n - 2; ++i) {
        text.append(lines.Get(fileOrder ? i : GetRandom(k, n - 2))).append(divider);
    }
    text.append(lines.Get(n - 1));
    return text;
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
