#include "tools/fortune2zin/FortuneConverter.h"

#include <cerrno>
#include <system_error>
#include <vector>

namespace zintra {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\x1A';
}

bool IsSeparator(std::string_view line) {
    return line == "%" || line == "%\r";
}

} // namespace

void FortuneRecord::AddLine(std::string_view line) {
    for (const char c : line) {
        if (IsBlank(c)) {
            blankPending_ = !entry_.empty();
            continue;
        }
        if (blankPending_) {
            entry_ += ' ';
            blankPending_ = false;
        }
        entry_ += c;
    }
    blankPending_ = !entry_.empty();
}

void FortuneRecord::End(std::ostream& out) {
    if (!entry_.empty()) {
        out << entry_ << '\n';
    }
    entry_.clear();
    blankPending_ = false;
}

std::string FortuneEntry(std::string_view record) {
    FortuneRecord gathered;
    gathered.AddLine(record);
    return gathered.Entry();
}

FortuneConverter::FortuneConverter(const FortuneOptions& options, std::ostream& out)
    : options_(options), out_(out) {
    out_ << "@@*DIV" << options_.divider << '\n' << options_.title << '\n';
}

void FortuneConverter::EndLine() {
    if (IsSeparator(line_)) {
        record_.End(out_);
    } else {
        record_.AddLine(line_);
    }
    line_.clear();
}

void FortuneConverter::Add(std::string_view bytes) {
    for (auto lf = bytes.find('\n'); lf != std::string_view::npos; lf = bytes.find('\n')) {
        line_.append(bytes.substr(0, lf));
        EndLine();
        bytes.remove_prefix(lf + 1);
    }
    line_.append(bytes);
}

void FortuneConverter::Finish() {
    EndLine();
    record_.End(out_);
    out_ << options_.last << '\n';
}

void ConvertFortunes(std::FILE* file, const FortuneOptions& options, std::ostream& out) {
    FortuneConverter converter(options, out);
    std::vector<char> buffer(1 << 16);
    std::size_t count;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
        converter.Add(std::string_view(buffer.data(), count));
    }
    if (std::ferror(file)) {
        throw std::system_error(errno, std::generic_category());
    }
    converter.Finish();
}

} // namespace zintra
