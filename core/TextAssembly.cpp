#include "core/TextAssembly.h"

#include "core/CollectionErrors.h"

#include <limits>
#include <utility>

namespace zintra {
namespace {

constexpr std::string_view kDividerMark = "@@*DIV";
constexpr std::string_view kOrderMark = "@@*NORANDOM";
// How many places ahead the placing loops start fetching from memory.
constexpr std::int32_t kAhead = 16;

// Asks for `address` ahead of use: to read it, or with kForWriting to write it.
constexpr int kForWriting = 1;
template <int Use = 0> void Prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address, Use);
#else
    (void)address;
#endif
}

void AddToFingerprint(std::uint64_t& fingerprint, std::uint64_t length) {
    fingerprint = (fingerprint ^ length) * 0x100000001B3u;
}

// Which line is what, as the marker lines say.
struct Layout {
    std::string_view divider;
    bool fileOrder = false;
    std::int32_t title = 0;
    std::int32_t firstEntry = 0;
    std::int32_t last = 0;
};

// EListError names the first line needed that is missing.
Layout ReadMarkers(const TextAssembly::Plan& plan) {
    const auto count = static_cast<std::int32_t>(plan.Count());
    const auto need = [count](std::int32_t line) {
        if (line >= count) {
            throw EListError(line);
        }
    };
    need(0);
    Layout layout;
    layout.divider = plan.line0;
    std::string_view candidate = plan.line0;
    std::int32_t k = 0;
    if (plan.line0.starts_with(kDividerMark)) {
        layout.divider.remove_prefix(kDividerMark.size());
        need(1);
        candidate = plan.line1;
        k = 1;
    }
    layout.fileOrder = candidate == kOrderMark;
    layout.title = layout.fileOrder ? k + 1 : k;
    need(layout.title);
    layout.firstEntry = layout.title + 1;
    layout.last = count - 1;
    return layout;
}

// The assembled text's size in bytes.
std::uint64_t AssembledSize(const TextAssembly::Plan& plan, const Layout& layout) {
    std::uint64_t size = plan.Length(static_cast<std::size_t>(layout.title)) + 1 +
                         plan.Length(static_cast<std::size_t>(layout.last));
    for (std::int32_t i = layout.firstEntry; i < layout.last; ++i) {
        size += plan.Length(static_cast<std::size_t>(i)) + layout.divider.size();
    }
    return size;
}

// Puts every line in its place in `out` (`size` bytes): `places` holds each line's length, and
// each entry's length becomes its place; entries go in `order` (line numbers), or in file order
// when it is empty. Offset is wide enough for `size`.
template <class Offset>
void Put(std::deque<Offset>& places, const Layout& layout, const DrawnIndices& order,
         std::uint64_t fingerprint, LineSource& lines, char* out, std::uint64_t size) {
    const Offset titleLength = places[static_cast<std::size_t>(layout.title)];
    Offset at = titleLength + 1;
    const auto place = [&](std::int32_t line) {
        Offset& slot = places[static_cast<std::size_t>(line)];
        const Offset length = slot;
        slot = at;
        at += length + static_cast<Offset>(layout.divider.size());
    };
    if (order.Count() == 0) {
        for (std::int32_t i = layout.firstEntry; i < layout.last; ++i) {
            place(i);
        }
    }
    for (std::int32_t i = 0; i < order.Count(); ++i) {
        if (i + kAhead < order.Count()) {
            Prefetch(&places[static_cast<std::size_t>(order.Number(i + kAhead))]);
        }
        place(order.Number(i));
    }
    const Offset lastAt = at;

    // Every byte of the text is put once; a line that grew since it was measured cannot spill.
    const auto put = [&](std::uint64_t to, std::string_view bytes) {
        if (to > size || bytes.size() > size - to) {
            throw ECollectionChanged();
        }
        bytes.copy(out + to, bytes.size());
    };
    std::uint64_t readFingerprint = 0;
    std::int32_t i = 0;
    lines.Rewind();
    for (std::string_view line; lines.Next(line); ++i) {
        if (i > layout.last) {
            throw ECollectionChanged();
        }
        AddToFingerprint(readFingerprint, line.size());
        if (i == layout.title) {
            put(0, line);
            put(titleLength, " ");
        }
        if (i >= layout.firstEntry && i < layout.last) {
            if (i + kAhead < layout.last) {
                Prefetch<kForWriting>(out + places[static_cast<std::size_t>(i + kAhead)]);
            }
            const std::uint64_t to = places[static_cast<std::size_t>(i)];
            put(to, line);
            put(to + line.size(), layout.divider);
        }
        if (i == layout.last) {
            put(lastAt, line);
        }
    }
    if (i != layout.last + 1 || readFingerprint != fingerprint) {
        throw ECollectionChanged();
    }
}

} // namespace

void TextAssembly::Plan::Add(std::uint64_t length) {
    if (wideLengths.empty() && length > std::numeric_limits<std::uint32_t>::max()) {
        Widen();
    }
    if (wideLengths.empty()) {
        lengths.push_back(static_cast<std::uint32_t>(length));
    } else {
        wideLengths.push_back(length);
    }
    AddToFingerprint(fingerprint, length);
}

void TextAssembly::Plan::Widen() {
    if (wideLengths.empty()) {
        wideLengths.assign(lengths.begin(), lengths.end());
        lengths = {};
    }
}

void TextAssembly::SetStrings(LineSource& lines, std::string& text) {
    Measure(lines);
    Assemble(lines, text);
}

void TextAssembly::Measure(LineSource& lines) {
    plan_ = Plan();
    lines.Rewind();
    for (std::string_view line; lines.Next(line);) {
        if (plan_.Count() == std::numeric_limits<std::int32_t>::max()) {
            throw ETextTooLong();
        }
        if (plan_.Count() < 2) {
            (plan_.Count() == 0 ? plan_.line0 : plan_.line1) = line;
        }
        plan_.Add(line.size());
    }
}

void TextAssembly::Assemble(LineSource& lines, std::string& text) {
    usedIndices_.Clear();
    placement_ = Placement();
    // The plan's memory goes with this call, however it ends; its lengths become the places.
    Plan plan = std::exchange(plan_, Plan());
    const Layout layout = ReadMarkers(plan);
    const std::uint64_t size = AssembledSize(plan, layout);
    Placement placement{layout.title,
                        layout.firstEntry,
                        layout.last,
                        plan.Length(static_cast<std::size_t>(layout.title)),
                        size - plan.Length(static_cast<std::size_t>(layout.last)),
                        size,
                        layout.divider.size(),
                        {},
                        {}};
    if (!layout.fileOrder && layout.firstEntry < layout.last) {
        usedIndices_.DrawAll(random_, layout.firstEntry, layout.last - 1);
    }
    const std::size_t base = text.size();
    text.resize(base + size);
    try {
        if (plan.wideLengths.empty() && size <= std::numeric_limits<std::uint32_t>::max()) {
            Put(plan.lengths, layout, usedIndices_, plan.fingerprint, lines, text.data() + base,
                size);
            placement.places = std::move(plan.lengths);
        } else {
            plan.Widen();
            Put(plan.wideLengths, layout, usedIndices_, plan.fingerprint, lines, text.data() + base,
                size);
            placement.widePlaces = std::move(plan.wideLengths);
        }
    } catch (...) {
        text.resize(base);
        throw;
    }
    placement_ = std::move(placement);
}

std::optional<std::int32_t> TextAssembly::LineAt(std::uint64_t offset) const {
    const Placement& at = placement_;
    if (at.last < 0 || offset >= at.size) {
        return std::nullopt;
    }
    if (offset < at.titleLength) {
        return at.title;
    }
    if (offset >= at.lastAt) {
        return at.last;
    }
    // The entries' places grow in the order they stand: the last one placed at or before the
    // offset holds it, unless the offset falls in the Divider after it.
    const std::int32_t count = at.last - at.firstEntry;
    const auto lineOf = [&](std::int32_t k) {
        return usedIndices_.Count() == 0 ? at.firstEntry + k : usedIndices_.Number(k);
    };
    std::int32_t low = 0;
    std::int32_t high = count;
    while (low < high) {
        const std::int32_t middle = low + (high - low) / 2;
        if (at.Place(lineOf(middle)) <= offset) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low == 0) {
        return std::nullopt;
    }
    const std::int32_t line = lineOf(low - 1);
    const std::uint64_t next = low < count ? at.Place(lineOf(low)) : at.lastAt;
    if (offset >= next - at.dividerSize) {
        return std::nullopt;
    }
    return line;
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
