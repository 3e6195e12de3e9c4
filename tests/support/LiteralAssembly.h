#pragma once

#include "base/Exceptions.h"
#include "base/StringList.h"
#include "core/RandomGenerator.h"

#include <string>
#include <vector>

namespace zintra {

// The assembly as first written: drawn numbers kept as decimal texts in a string list and
// searched from its start. The faster assembly must draw and order exactly like it.
inline std::string LiteralSetStrings(const std::vector<std::string>& lines, RandomGenerator& random,
                                     TStringList& used) {
    used.Clear();
    const auto line = [&](int i) -> const std::string& {
        if (i >= static_cast<int>(lines.size())) {
            throw EListError(i);
        }
        return lines[i];
    };
    std::string divider = line(0);
    std::string candidate = line(0);
    int k = 0;
    if (line(0).substr(0, 6) == "@@*DIV") {
        divider = line(0).substr(6);
        candidate = line(1);
        k = 1;
    }
    std::string text;
    const bool ordered = candidate == "@@*NORANDOM";
    text += (ordered ? line(k + 1) : candidate) + " ";
    k += ordered ? 2 : 1;
    const int n = static_cast<int>(lines.size());
    for (int step = 0; step < n - 1 - k; ++step) {
        int r = k + step;
        if (!ordered) {
            do {
                r = k + static_cast<int>(random.Random(static_cast<std::uint32_t>(n - 1 - k)));
            } while (used.IndexOf(std::to_string(r)) != -1);
            used.Add(std::to_string(r));
        }
        text += line(r) + divider;
    }
    return text + line(n - 1);
}

} // namespace zintra
