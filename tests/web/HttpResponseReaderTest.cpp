#include "web/HttpResponseReader.h"

#include <gtest/gtest.h>

namespace zintra {
namespace {

using State = HttpResponseReader::State;

struct Answer {
    const char* name;
    std::string bytes;
    State outcome;
    int status;
    // The body, or the failure's text.
    std::string text;
    std::size_t limit = HttpResponseReader::kBodyLimit;
};

// What a reader made of `pieces` and the close after them.
std::tuple<State, int, std::string> Read(const std::vector<std::string_view>& pieces,
                                         std::size_t limit) {
    HttpResponseReader reader(limit);
    for (const std::string_view piece : pieces) {
        reader.Feed(piece);
    }
    reader.FeedEnd();
    const bool failed = reader.Outcome() == State::Failed;
    return {reader.Outcome(), reader.StatusCode(), failed ? reader.Failure() : reader.Body()};
}

class ResponseReading : public testing::TestWithParam<Answer> {};

// However the connection splits the bytes, the outcome is the same.
TEST_P(ResponseReading, GivesOneOutcomeWhereverTheBytesAreSplit) {
    const Answer& answer = GetParam();
    const std::string_view bytes = answer.bytes;
    const auto whole = Read({bytes}, answer.limit);
    EXPECT_EQ(whole, std::make_tuple(answer.outcome, answer.status, answer.text));
    std::vector<std::string_view> bytewise;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        bytewise.push_back(bytes.substr(cut, 1));
        ASSERT_EQ(Read({bytes.substr(0, cut), bytes.substr(cut)}, answer.limit), whole) << cut;
    }
    EXPECT_EQ(Read(bytewise, answer.limit), whole);
}

const std::string kOk = "HTTP/1.1 200 OK\r\n";
const std::string kChunked = kOk + "Transfer-Encoding: chunked\r\n\r\n";
const std::string kCut = "The connection closed before the end of the answer";

INSTANTIATE_TEST_SUITE_P(
    Answers, ResponseReading,
    testing::Values(
        Answer{"ByLength", kOk + "Content-Length: 5\r\n\r\nHello more", State::Complete, 200,
               "Hello"},
        Answer{"Chunked", kChunked + "5;x=y\r\nHello\r\n1\r\n!\r\n0\r\n\r\n", State::Complete, 200,
               "Hello!"},
        Answer{"UpToTheClose", "HTTP/1.0 200 OK\r\n\r\nTo the end", State::Complete, 200,
               "To the end"},
        Answer{"AfterContinue",
               "HTTP/1.1 100 Continue\r\n\r\n" + kOk + "Content-Length: 2\r\n\r\nok",
               State::Complete, 200, "ok"},
        Answer{"ProtocolSwitch",
               "HTTP/1.1 101 Switching Protocols\r\nUpgrade: x\r\nConnection: upgrade\r\n\r\n" +
                   kOk + "Content-Length: 2\r\n\r\nok",
               State::Complete, 101, ""},
        Answer{"NotFoundHeadOnly", "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno",
               State::Complete, 404, ""},
        Answer{"ShortLength", kOk + "Content-Length: 50\r\n\r\nHello", State::Failed, 200, kCut},
        Answer{"CutChunk", kChunked + "5\r\nHel", State::Failed, 200, kCut},
        Answer{"BadChunkSize", kChunked + "zz\r\nHello\r\n", State::Failed, 200,
               "Unreadable answer: invalid character in chunk size header"},
        Answer{"BadStatusLine", "HTTP/1.1 OK fine\r\n\r\n", State::Failed, 0,
               "Unreadable answer: invalid HTTP status code"},
        Answer{"Gzip", kOk + "Content-Encoding: gzip\r\nContent-Length: 3\r\n\r\nabc",
               State::Failed, 200,
               "The answer is compressed (Content-Encoding: gzip); only identity is supported"},
        Answer{"Identity", kOk + "Content-Encoding: Identity\r\nContent-Length: 3\r\n\r\nabc",
               State::Complete, 200, "abc"},
        // Every copy of a framing header counts, as it does for the parser.
        Answer{"ChunkedThenGzip",
               kOk + "Transfer-Encoding: chunked\r\nTransfer-Encoding: gzip\r\n\r\n2\r\nok\r\n",
               State::Failed, 200, "The answer's Transfer-Encoding chunked, gzip is not supported"},
        Answer{"IdentityThenGzip",
               kOk + "Content-Encoding: identity\r\ncontent-encoding: gzip\r\nContent-Length: 2"
                     "\r\n\r\nok",
               State::Failed, 200,
               "The answer is compressed (Content-Encoding: identity, gzip); only identity is "
               "supported"},
        Answer{"LengthTwice", kOk + "Content-Length: 2\r\nContent-Length: 2\r\n\r\nok",
               State::Failed, 0, "Unreadable answer: unexpected content-length header"},
        Answer{"ChunkSizeOverflow", kChunked + "10000000000000000\r\nok", State::Failed, 200,
               "Unreadable answer: a chunk's size is too large"},
        Answer{"NoAnswer", "", State::Failed, 0,
               "The server closed the connection without an answer"},
        Answer{"LengthOverLimit", kOk + "Content-Length: 11\r\n\r\n", State::Failed, 200,
               "The answer is larger than 10 bytes", 10},
        Answer{"BodyOverLimit", "HTTP/1.0 200 OK\r\n\r\n0123456789A", State::Failed, 200,
               "The answer is larger than 10 bytes", 10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResponseHead, HeadersAreFoundWhateverTheirCaseAndTheStatusReadsAsAUserSeesIt) {
    HttpResponseReader reader;
    reader.Feed("HTTP/1.1 301 Moved Permanently\r\nlocation:  /b/ \r\nETAG: \"x\"\r\n\r\n");
    EXPECT_EQ(reader.StatusText(), "HTTP 301 Moved Permanently");
    EXPECT_EQ(reader.Header("Location"), "/b/");
    EXPECT_EQ(reader.Header("etag"), "\"x\"");
}

} // namespace
} // namespace zintra
