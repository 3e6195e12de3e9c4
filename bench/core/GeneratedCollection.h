#pragma once

#include <cstdint>
#include <string>

// Writes a collection of `entries` entry lines of about 60 characters, between a title and a
// last line, under a divider line; `fileOrder` adds "@@*NORANDOM". Returns the file's size in
// bytes.
std::uint64_t WriteGeneratedCollection(const std::string& path, std::int32_t entries,
                                       bool fileOrder);

// A path in the temporary folder for a generated collection of that shape.
std::string GeneratedCollectionPath(std::int32_t entries, bool fileOrder);
