#include "core/TextFile.h"

#include "base/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zintra {
namespace {

// Large enough that reading costs few calls, small enough to stay in the cache.
constexpr std::size_t kBufferSize = 1 << 16;
constexpr char kCtrlZ = 26;

} // namespace

TextFile::TextFile(const std::string& path) : buffer_(kBufferSize) {
    errno = 0;
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (!file_) {
        throw EInOutError(errno);
    }
}

TextFile::TextFile(std::string_view bytes, std::size_t readSize)
    : bytes_(bytes), buffer_(std::max<std::size_t>(readSize, 1)) {}

bool TextFile::Fill() {
    pos_ = 0;
    if (!file_) {
        end_ = std::min(buffer_.size(), bytes_.size() - bytesRead_);
        bytes_.copy(buffer_.data(), end_, bytesRead_);
        bytesRead_ += end_;
        return end_ != 0;
    }
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
    if (end_ == 0 && std::ferror(file_.get())) {
        throw EInOutError(errno);
    }
    return end_ != 0;
}

bool TextFile::Eof() {
    return pos_ == end_ && !Fill();
}

void TextFile::Rewind() {
    if (file_) {
        std::rewind(file_.get());
    }
    bytesRead_ = 0;
    pos_ = 0;
    end_ = 0;
}

std::string_view TextFile::ReadLineView() {
    long_.clear();
    std::string_view line;
    for (bool spans = false; !Eof();) {
        const char* start = buffer_.data() + pos_;
        const std::size_t available = end_ - pos_;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', available));
        const std::size_t length = lf ? static_cast<std::size_t>(lf - start) : available;
        pos_ += lf ? length + 1 : length;
        if (lf && !spans) {
            line = std::string_view(start, length);
            break;
        }
        long_.append(start, length);
        line = long_;
        spans = true;
        if (lf) {
            break;
        }
    }
    // A Ctrl-Z ends the line; every CR left is either the one before LF or a lone one.
    line = line.substr(0, line.find(kCtrlZ));
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    if (line.find('\r') == std::string_view::npos) {
        return line;
    }
    long_.assign(line);
    std::erase(long_, '\r');
    return long_;
}

void TextFile::ReadLine(std::string& line) {
    line.assign(ReadLineView());
}

std::string TextFile::ReadLine() {
    return std::string(ReadLineView());
}

} // namespace zintra
