#include "bench/core/GeneratedCollection.h"

#include <filesystem>
#include <fstream>

namespace {

constexpr const char* kWords[] = {"patience", "river", "lantern", "harvest", "kindness", "stone",
                                  "morning",  "bread", "journey", "garden",  "silence",  "wind"};

std::string Entry(std::int32_t number) {
    std::string line = "No. " + std::to_string(number) + ":";
    std::uint32_t state = static_cast<std::uint32_t>(number) * 2654435761u;
    while (line.size() < 56) {
        state = state * 1103515245u + 12345u;
        line += ' ';
        line += kWords[(state >> 16) % std::size(kWords)];
    }
    return line + ".";
}

} // namespace

std::uint64_t WriteGeneratedCollection(const std::string& path, std::int32_t entries,
                                       bool fileOrder) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "@@*DIV | \r\n";
    if (fileOrder) {
        out << "@@*NORANDOM\r\n";
    }
    out << "A generated collection of " << entries << " entries:\r\n";
    for (std::int32_t i = 1; i <= entries; ++i) {
        out << Entry(i) << "\r\n";
    }
    out << "That was the whole collection.\r\n";
    out.close();
    return std::filesystem::file_size(path);
}

std::string GeneratedCollectionPath(std::int32_t entries, bool fileOrder) {
    return (std::filesystem::temp_directory_path() /
            ("zintra-bench-" + std::to_string(entries) + (fileOrder ? "-ordered" : "-shuffled") +
             ".zin"))
        .string();
}
