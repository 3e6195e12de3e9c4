#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zintra {

// Reads a file line by line as 8-bit text: a line ends at LF or CR LF, any other CR is dropped,
// a Ctrl-Z ends its line and the rest of that physical line is skipped, lines have no length
// limit, and reading past the end yields empty lines. Open and read failures raise EInOutError.
class TextFile {
public:
    explicit TextFile(const std::string& path);
    // Reads `bytes` as the content of a file, `readSize` bytes at a time as a file is read a
    // buffer at a time, so lines that span reads come out as they would from a file. `bytes`
    // must outlive the reader.
    TextFile(std::string_view bytes, std::size_t readSize);

    // Whether every line has been read.
    bool Eof();
    void ReadLine(std::string& line);
    std::string ReadLine();
    // The next line without a copy where it can be had so; valid until the next read.
    std::string_view ReadLineView();
    // Back to the first line.
    void Rewind();

private:
    bool Fill();

    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    // Without a file: the bytes read in its place, and how many of them are read.
    std::string_view bytes_;
    std::size_t bytesRead_ = 0;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    // A line that spans reads, or that lost a CR inside it.
    std::string long_;
};

} // namespace zintra
