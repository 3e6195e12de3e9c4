// HTTP answers: any bytes, fed in pieces whose sizes the input chooses, give the outcome they
// give fed whole: a body within the limit, another status, or one failure message, never both.
// A body is taken only when every copy of its framing headers allows it: one Transfer-Encoding,
// chunked, or none; identity Content-Encodings; at most one Content-Length.
#include "tests/fuzz/FuzzSupport.h"
#include "web/HttpResponseReader.h"

#include <algorithm>
#include <cctype>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <regex>
#include <string>

using namespace zintra;

namespace {

using Reader = HttpResponseReader;

bool KnownFailure(const std::string& failure) {
    for (const std::string_view start :
         {"The connection closed before the end of the answer",
          "The server closed the connection without an answer",
          "Unreadable answer: ", "The answer is larger than ",
          "The answer is compressed (Content-Encoding: ", "The answer's Transfer-Encoding "}) {
        if (failure.starts_with(start)) {
            return true;
        }
    }
    return false;
}

// The values of the headers named `name` (lower case) in the head of an answer, read the plain
// way: nothing when the head is no 200 with nothing before it, or folds a header onto a line.
std::optional<std::vector<std::string>> PlainValues(std::string_view bytes, std::string_view name) {
    std::vector<std::string> values;
    for (bool first = true; !bytes.empty(); first = false) {
        std::string line(bytes.substr(0, bytes.find('\n')));
        bytes.remove_prefix(std::min(line.size() + 1, bytes.size()));
        std::erase(line, '\r');
        std::transform(line.begin(), line.end(), line.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (first ? !line.starts_with("http/1.1 200") && !line.starts_with("http/1.0 200")
                  : line.starts_with(' ') || line.starts_with('\t')) {
            return std::nullopt;
        }
        if (!first && line.empty()) {
            return values;
        }
        if (line.starts_with(std::string(name) + ":")) {
            std::erase_if(line, [](char c) { return c == ' ' || c == '\t'; });
            values.push_back(line.substr(name.size() + 1) + ",");
        }
    }
    return std::nullopt;
}

void RequireFramedByEveryCopy(const Reader& reader, std::string_view bytes) {
    const auto transfer = PlainValues(bytes, "transfer-encoding");
    if (reader.Outcome() != Reader::State::Complete || reader.StatusCode() != 200 || !transfer) {
        return;
    }
    Require(transfer->empty() || *transfer == std::vector<std::string>{"chunked,"},
            "a body is taken only with one Transfer-Encoding, chunked, or none");
    for (const std::string& encodings : *PlainValues(bytes, "content-encoding")) {
        Require(std::regex_match(encodings, std::regex("((identity)?,)*")),
                "a body is taken only when every Content-Encoding is identity");
    }
    Require(PlainValues(bytes, "content-length")->size() <= 1,
            "a body is taken only with one Content-Length");
}

void RequireSame(const Reader& split, const Reader& whole) {
    Require(split.Outcome() == whole.Outcome() && split.Failure() == whole.Failure() &&
                split.StatusText() == whole.StatusText() && split.Body() == whole.Body(),
            "the pieces give the outcome the whole answer gives");
}

void RequireSound(const Reader& reader, std::size_t limit) {
    Require(reader.BodySize() <= limit, "no body over the limit");
    const bool failed = reader.Outcome() == Reader::State::Failed;
    Require(failed != reader.Failure().empty(), "a failure message exactly when the answer failed");
    Require(!failed || KnownFailure(reader.Failure()), "the failure is one the user is told");
    Require(!reader.Failure().ends_with(": success") &&
                !reader.Failure().ends_with(": parser is paused"),
            "a failure names what went wrong");
    const auto length = reader.Header("Content-Length");
    if (reader.Outcome() == Reader::State::Complete && reader.StatusCode() == 200 && length &&
        !reader.Header("Transfer-Encoding")) {
        Require(length->find_first_not_of('0') == std::string::npos ||
                    length->substr(length->find_first_not_of('0')) ==
                        std::to_string(reader.BodySize()),
                "a complete body is as long as its Content-Length");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The numbers come from the end: the piece sizes in turn and the body limit.
    FuzzedDataProvider input(data, size);
    const std::size_t limit =
        input.ConsumeBool() ? Reader::kBodyLimit : input.ConsumeIntegralInRange(0, 64);
    std::vector<std::size_t> pieces(input.ConsumeIntegralInRange(1, 4));
    for (std::size_t& piece : pieces) {
        piece = input.ConsumeIntegral<std::uint8_t>() + std::size_t(1);
    }
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    Reader whole(limit);
    whole.Feed(bytes);
    Reader split(limit);
    for (std::size_t at = 0, i = 0; at < bytes.size(); at += pieces[i++ % pieces.size()]) {
        split.Feed(std::string_view(bytes).substr(at, pieces[i % pieces.size()]));
        RequireSound(split, limit);
    }
    RequireSame(split, whole);
    whole.FeedEnd();
    split.FeedEnd();
    RequireSame(split, whole);
    RequireSound(split, limit);
    RequireFramedByEveryCopy(whole, bytes);
    Require(split.Outcome() != Reader::State::Reading, "the end of the connection ends the answer");
    return 0;
}
