// Fortune files: whatever the bytes, the pieces they arrive in and the texts given for the
// divider, title and last line, the collection written loads with one entry per record.
#include "tests/fuzz/FuzzSupport.h"
#include "tools/fortune2zin/FortuneConverter.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <sstream>

using namespace zintra;

namespace {

// The records' entries the plain way: records end at lines of "%", blanks join words.
std::vector<std::string> PlainEntries(std::string_view bytes) {
    constexpr const char* kBlanks = " \t\r\x1a";
    std::vector<std::string> entries(1);
    for (std::size_t start = 0; start <= bytes.size();) {
        const std::size_t lf = std::min(bytes.find('\n', start), bytes.size());
        const std::string_view line = bytes.substr(start, lf - start);
        start = lf + 1;
        if (line == "%" || line == "%\r") {
            entries.emplace_back();
            continue;
        }
        std::size_t word = line.find_first_not_of(kBlanks);
        while (word < line.size()) {
            const std::size_t end = std::min(line.find_first_of(kBlanks, word), line.size());
            entries.back() +=
                (entries.back().empty() ? "" : " ") + std::string(line.substr(word, end - word));
            word = line.find_first_not_of(kBlanks, end);
        }
    }
    std::erase(entries, std::string());
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<std::string> args;
    for (const char* option : {"--divider", "--title", "--last"}) {
        if (std::string text = input.ConsumeRandomLengthString(40); !text.empty()) {
            args.insert(args.end(), {option, text});
        }
    }
    args.push_back("fortunes");
    FortuneOptions options;
    try {
        options = ParseFortuneCommandLine(args);
    } catch (const UsageError&) {
        return 0;
    }
    const auto pieceSize = input.ConsumeIntegralInRange<std::size_t>(1, 64);
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    std::ostringstream out;
    FortuneConverter converter(options, out);
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
        converter.Add(std::string_view(bytes).substr(at, pieceSize));
    }
    converter.Finish();

    const std::string collection = out.str();
    const std::vector<std::string> entries = PlainEntries(bytes);
    std::vector<std::string> expected = {"@@*DIV" + options.divider, options.title};
    expected.insert(expected.end(), entries.begin(), entries.end());
    expected.push_back(options.last);
    Require(ReferenceLines(collection) == expected,
            "the divider line, the title, one entry per record and the last line");
    Require(CheckCollection(collection, 64, 1) == entries.size(),
            "the collection loads with one entry per record");
    return 0;
}
