#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

// A fresh folder for one test's files, removed with everything in it afterwards.
class TestFolder {
public:
    TestFolder() {
        std::random_device seed;
        root_ = std::filesystem::temp_directory_path() /
                ("zintra-test-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(root_);
    }
    ~TestFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    std::string Path(const std::string& name) const { return (root_ / name).string(); }

    std::string Write(const std::string& name, std::string_view bytes) const {
        std::ofstream(Path(name), std::ios::binary).write(bytes.data(), bytes.size());
        return Path(name);
    }

    std::size_t EntryCount() const {
        return std::distance(std::filesystem::directory_iterator(root_),
                             std::filesystem::directory_iterator());
    }

private:
    std::filesystem::path root_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
