#include "core/TextFile.h"

#include "core/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zintra {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;
constexpr char kCtrlZ = 26;

} // namespace

TextFile::TextFile(const std::string& path) : buffer_(kBufferSize) {
    errno = 0;
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (!file_) {
        throw EInOutError(errno);
    }
}

bool TextFile::Fill() {
    pos_ = 0;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
    if (end_ == 0 && std::ferror(file_.get())) {
        throw EInOutError(errno);
    }
    return end_ != 0;
}

bool TextFile::Eof() {
    return pos_ == end_ && !Fill();
}

void TextFile::ReadLine(std::string& line) {
    line.clear();
    while (!Eof()) {
        const char* start = buffer_.data() + pos_;
        const std::size_t available = end_ - pos_;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', available));
        const std::size_t length = lf ? static_cast<std::size_t>(lf - start) : available;
        line.append(start, length);
        pos_ += length;
        if (lf) {
            ++pos_;
            break;
        }
    }
    // A Ctrl-Z ends the line; every CR left is either the one before LF or a lone one.
    if (const auto ctrlZ = line.find(kCtrlZ); ctrlZ != std::string::npos) {
        line.resize(ctrlZ);
    }
    if (line.find('\r') != std::string::npos) {
        std::erase(line, '\r');
    }
}

std::string TextFile::ReadLine() {
    std::string line;
    ReadLine(line);
    return line;
}

} // namespace zintra
