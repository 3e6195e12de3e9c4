#include "core/FileExists.h"

#include <filesystem>

namespace zintra {

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace zintra
