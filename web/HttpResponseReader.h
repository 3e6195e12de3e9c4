#pragma once

#include <cstddef>
#include <http_parser.h>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zintra {

// Reads one HTTP/1.1 answer from the bytes of a connection, fed in pieces of any size as they
// arrive, and the end of the connection. It does no I/O: the same bytes, however they are
// split, give the same outcome. A 200 answer is read to the end of its body (by Content-Length,
// chunked, or up to the close); any other status is complete with its head, since its body is
// of no use. Informational (1xx) answers before the final one are skipped; a switch of protocol
// ends the answer as another status does.
class HttpResponseReader {
public:
    // The largest body taken; a larger one fails the answer.
    static constexpr std::size_t kBodyLimit = std::size_t(64) << 20;

    enum class State { Reading, Complete, Failed };

    explicit HttpResponseReader(std::size_t bodyLimit = kBodyLimit);
    HttpResponseReader(const HttpResponseReader&) = delete;
    HttpResponseReader& operator=(const HttpResponseReader&) = delete;

    // Bytes of the connection. Once the answer is complete or failed, more bytes change nothing.
    void Feed(std::string_view bytes);
    // The connection ended: an answer read up to the close is complete, any other is cut.
    void FeedEnd();

    State Outcome() const { return state_; }
    // Why the answer failed, in the user's words; empty unless Failed.
    const std::string& Failure() const { return failure_; }

    int StatusCode() const { return statusCode_; }
    // "HTTP 404 Not Found": the status line as a user reads it.
    std::string StatusText() const;
    // The value of the first header of that name (letter case ignored), blanks trimmed.
    std::optional<std::string> Header(std::string_view name) const;
    const std::string& Body() const { return body_; }
    std::string TakeBody() { return std::move(body_); }
    // Body bytes received so far.
    std::size_t BodySize() const { return body_.size(); }

private:
    static int MessageBegin(http_parser* parser);
    static int StatusData(http_parser* parser, const char* at, std::size_t length);
    static int HeaderField(http_parser* parser, const char* at, std::size_t length);
    static int HeaderValue(http_parser* parser, const char* at, std::size_t length);
    static int HeadersComplete(http_parser* parser);
    static int BodyData(http_parser* parser, const char* at, std::size_t length);
    static int MessageComplete(http_parser* parser);

    void Fail(std::string why);
    // Stops the parser where it stands: the outcome is known.
    int Stop(State outcome);
    // The head of a 200 answer holds nothing that makes its body unreadable.
    bool BodyReadable();
    // The values of every header named `name`, split at commas, blanks trimmed.
    std::vector<std::string> Tokens(std::string_view name) const;
    void TakeParserError();

    http_parser parser_;
    http_parser_settings settings_;
    std::size_t bodyLimit_;
    State state_ = State::Reading;
    bool fed_ = false;
    std::string failure_;
    int statusCode_ = 0;
    std::string reason_;
    std::vector<std::pair<std::string, std::string>> headers_;
    // The last header callback was for a value: a new field begins with the next field bytes.
    bool inValue_ = false;
    // The head of the answer is read: what the parser meets now is its body.
    bool inBody_ = false;
    std::string body_;
};

} // namespace zintra
