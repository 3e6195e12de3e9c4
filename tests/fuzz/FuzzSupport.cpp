#include "tests/fuzz/FuzzSupport.h"

#include "base/Exceptions.h"
#include "core/CollectionFile.h"
#include "core/TextAssembly.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zintra {

void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "Property broken: %s\n", what);
        std::abort();
    }
}

std::vector<std::string> ReferenceLines(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t lf = std::min(bytes.find('\n'), bytes.size());
        std::string line(bytes.substr(0, lf));
        line.resize(std::min(line.find('\x1a'), line.size()));
        std::erase(line, '\r');
        lines.push_back(line);
        bytes.remove_prefix(std::min(lf + 1, bytes.size()));
    }
    return lines;
}

std::optional<std::size_t> CheckCollection(std::string_view bytes, std::size_t readSize,
                                           std::uint32_t seed) {
    std::vector<std::string> lines = ReferenceLines(bytes);
    lines.erase(std::find(lines.begin(), lines.end(), std::string()), lines.end());
    const std::size_t n = lines.size();
    const bool dividerLine = n > 0 && lines[0].starts_with("@@*DIV");
    const std::size_t k = dividerLine ? 1 : 0;
    const bool fileOrder = k < n && lines[k] == "@@*NORANDOM";
    const std::size_t title = fileOrder ? k + 1 : k;
    const std::size_t missing = n == 0 ? 0 : (k >= n ? k : title);

    RandomGenerator random;
    random.Seed(seed);
    TextAssembly assembly(random);
    CollectionFile file{TextFile(bytes, readSize)};
    const std::string before = "lead-in ";
    std::string text = before;
    try {
        assembly.SetStrings(file, text);
    } catch (const EListError& error) {
        Require(missing >= n &&
                    error.Message() == EListError(static_cast<std::int64_t>(missing)).Message(),
                "too few lines fail naming the first missing line");
        Require(text == before, "a failed assembly leaves the text as it was");
        return std::nullopt;
    }
    Require(missing < n, "too few lines for the marker lines fail");

    // The entries' line numbers in file order, then in the order they must stand.
    const auto first = static_cast<std::int32_t>(title + 1);
    const auto lastEntry = static_cast<std::int32_t>(n) - 2;
    std::vector<std::int32_t> order;
    for (std::int32_t line = first; line <= lastEntry; ++line) {
        order.push_back(line);
    }
    const DrawnIndices& drawn = assembly.UsedIndices();
    if (fileOrder) {
        Require(drawn.Count() == 0, "\"@@*NORANDOM\" keeps file order");
    } else {
        Require(drawn.Count() == static_cast<std::int32_t>(order.size()),
                "every entry is drawn once");
        RandomGenerator plainRandom;
        plainRandom.Seed(seed);
        TextAssembly plain(plainRandom);
        for (std::int32_t i = 0; i < drawn.Count(); ++i) {
            order[static_cast<std::size_t>(i)] = plain.GetRandom(first, lastEntry);
            Require(drawn.Number(i) == order[static_cast<std::size_t>(i)],
                    "the shuffle is the one plain GetRandom draws give");
        }
        std::vector<std::int32_t> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        Require(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end(),
                "no entry is drawn twice");
    }
    const std::string divider = dividerLine ? lines[0].substr(6) : lines[0];
    std::string expected = before + lines[title] + " ";
    for (const std::int32_t entry : order) {
        expected += lines[static_cast<std::size_t>(entry)] + divider;
    }
    expected += lines[n - 1];
    Require(text == expected, "the text is the title and a blank, each entry once with the "
                              "Divider, then the last line");
    return order.size();
}

} // namespace zintra
