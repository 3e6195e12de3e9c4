#include "tools/fortune2zin/FortuneConverter.h"

#include <cerrno>
#include <system_error>
#include <vector>

namespace zintra {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\x1A';
}

// Gathers the current record as its entry text, so that only one record is held at a time.
class Record {
public:
    void AddLine(std::string_view line) {
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

    const std::string& Entry() const { return entry_; }

    // Writes the entry, if the record held anything but blanks, and starts the next record.
    void End(std::ostream& out) {
        if (!entry_.empty()) {
            out << entry_ << '\n';
        }
        entry_.clear();
        blankPending_ = false;
    }

private:
    std::string entry_;
    bool blankPending_ = false;
};

bool IsSeparator(std::string_view line) {
    return line == "%" || line == "%\r";
}

} // namespace

std::string FortuneEntry(std::string_view record) {
    Record gathered;
    gathered.AddLine(record);
    return gathered.Entry();
}

void ConvertFortunes(std::FILE* file, const FortuneOptions& options, std::ostream& out) {
    out << "@@*DIV" << options.divider << '\n' << options.title << '\n';
    Record record;
    std::string line;
    const auto endLine = [&] {
        if (IsSeparator(line)) {
            record.End(out);
        } else {
            record.AddLine(line);
        }
        line.clear();
    };
    std::vector<char> buffer(1 << 16);
    std::size_t count;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
        std::string_view chunk(buffer.data(), count);
        for (auto lf = chunk.find('\n'); lf != std::string_view::npos; lf = chunk.find('\n')) {
            line.append(chunk.substr(0, lf));
            endLine();
            chunk.remove_prefix(lf + 1);
        }
        line.append(chunk);
    }
    if (std::ferror(file)) {
        throw std::system_error(errno, std::generic_category());
    }
    endLine();
    record.End(out);
    out << options.last << '\n';
}

} // namespace zintra
