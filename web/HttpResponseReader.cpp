#include "web/HttpResponseReader.h"

#include <algorithm>
#include <cctype>

namespace zintra {

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string SizeText(std::size_t bytes) {
    if (bytes % kMiB == 0) {
        return std::to_string(bytes / kMiB) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

std::string Joined(const std::vector<std::string>& tokens) {
    std::string text;
    for (const std::string& token : tokens) {
        text += (text.empty() ? "" : ", ") + token;
    }
    return text;
}

HttpResponseReader& ReaderOf(http_parser* parser) {
    return *static_cast<HttpResponseReader*>(parser->data);
}

} // namespace

HttpResponseReader::HttpResponseReader(std::size_t bodyLimit) : bodyLimit_(bodyLimit) {
    http_parser_init(&parser_, HTTP_RESPONSE);
    parser_.data = this;
    http_parser_settings_init(&settings_);
    settings_.on_message_begin = &MessageBegin;
    settings_.on_status = &StatusData;
    settings_.on_header_field = &HeaderField;
    settings_.on_header_value = &HeaderValue;
    settings_.on_headers_complete = &HeadersComplete;
    settings_.on_body = &BodyData;
    settings_.on_message_complete = &MessageComplete;
}

void HttpResponseReader::Feed(std::string_view bytes) {
    if (state_ != State::Reading || bytes.empty()) {
        return;
    }
    fed_ = true;
    const std::size_t parsed =
        http_parser_execute(&parser_, &settings_, bytes.data(), bytes.size());
    if (state_ == State::Reading && (parser_.http_errno != HPE_OK || parsed != bytes.size())) {
        TakeParserError();
    }
}

void HttpResponseReader::FeedEnd() {
    if (state_ != State::Reading) {
        return;
    }
    http_parser_execute(&parser_, &settings_, nullptr, 0);
    if (state_ != State::Reading) {
        return;
    }
    if (parser_.http_errno != HPE_OK && parser_.http_errno != HPE_INVALID_EOF_STATE) {
        TakeParserError();
    } else if (fed_) {
        Fail("The connection closed before the end of the answer");
    } else {
        Fail("The server closed the connection without an answer");
    }
}

std::string HttpResponseReader::StatusText() const {
    std::string text = "HTTP " + std::to_string(statusCode_);
    if (!reason_.empty()) {
        text += " " + reason_;
    }
    return text;
}

std::optional<std::string> HttpResponseReader::Header(std::string_view name) const {
    for (const auto& [field, value] : headers_) {
        if (SameLetters(field, name)) {
            return std::string(Trimmed(value));
        }
    }
    return std::nullopt;
}

int HttpResponseReader::MessageBegin(http_parser* parser) {
    HttpResponseReader& reader = ReaderOf(parser);
    reader.statusCode_ = 0;
    reader.reason_.clear();
    reader.headers_.clear();
    reader.inValue_ = false;
    reader.inBody_ = false;
    // An interim answer's bytes are not the final answer's body.
    reader.body_.clear();
    return 0;
}

int HttpResponseReader::StatusData(http_parser* parser, const char* at, std::size_t length) {
    ReaderOf(parser).reason_.append(at, length);
    return 0;
}

// Field and value bytes may come in several pieces each.
int HttpResponseReader::HeaderField(http_parser* parser, const char* at, std::size_t length) {
    HttpResponseReader& reader = ReaderOf(parser);
    if (reader.headers_.empty() || reader.inValue_) {
        reader.headers_.emplace_back();
        reader.inValue_ = false;
    }
    reader.headers_.back().first.append(at, length);
    return 0;
}

int HttpResponseReader::HeaderValue(http_parser* parser, const char* at, std::size_t length) {
    HttpResponseReader& reader = ReaderOf(parser);
    if (reader.headers_.empty()) {
        reader.headers_.emplace_back();
    }
    reader.inValue_ = true;
    reader.headers_.back().second.append(at, length);
    return 0;
}

int HttpResponseReader::HeadersComplete(http_parser* parser) {
    HttpResponseReader& reader = ReaderOf(parser);
    // A blank in a header's name ("Transfer-Encoding :") is no HTTP: the parser would still
    // frame the body by it while the name itself matched nothing.
    for (const auto& header : reader.headers_) {
        if (header.first.find_first_of(" \t") != std::string::npos) {
            reader.Fail("Unreadable answer: a header's name holds a blank");
            return reader.Stop(State::Failed);
        }
    }
    reader.statusCode_ = int(parser->status_code);
    reader.inBody_ = true;
    // A switch to another protocol, which nobody asked for, ends the answer as any other
    // status does: what follows it is no HTTP.
    if (reader.statusCode_ / 100 == 1 && !parser->upgrade) {
        return 0;
    }
    if (reader.statusCode_ != 200) {
        return reader.Stop(State::Complete);
    }
    if (!reader.BodyReadable()) {
        return reader.Stop(State::Failed);
    }
    return 0;
}

int HttpResponseReader::BodyData(http_parser* parser, const char* at, std::size_t length) {
    HttpResponseReader& reader = ReaderOf(parser);
    if (length > reader.bodyLimit_ - reader.body_.size()) {
        reader.Fail("The answer is larger than " + SizeText(reader.bodyLimit_));
        return reader.Stop(State::Failed);
    }
    reader.body_.append(at, length);
    return 0;
}

int HttpResponseReader::MessageComplete(http_parser* parser) {
    HttpResponseReader& reader = ReaderOf(parser);
    if (reader.statusCode_ / 100 == 1) {
        return 0; // the final answer follows
    }
    return reader.Stop(State::Complete);
}

// Every copy of a header counts, as the parser frames the body by all of them: "chunked" then
// "gzip" is no chunked body, and "identity" then "gzip" no identity one.
bool HttpResponseReader::BodyReadable() {
    const std::vector<std::string> encodings = Tokens("Content-Encoding");
    if (std::any_of(encodings.begin(), encodings.end(), [](const std::string& token) {
            return !token.empty() && !SameLetters(token, "identity");
        })) {
        Fail("The answer is compressed (Content-Encoding: " + Joined(encodings) +
             "); only identity is supported");
        return false;
    }
    const std::vector<std::string> transfer = Tokens("Transfer-Encoding");
    if (!transfer.empty() && (transfer.size() != 1 || !SameLetters(transfer[0], "chunked"))) {
        Fail("The answer's Transfer-Encoding " + Joined(transfer) + " is not supported");
        return false;
    }
    const bool lengthKnown = (parser_.flags & F_CHUNKED) == 0 && Header("Content-Length");
    if (lengthKnown && parser_.content_length > bodyLimit_) {
        Fail("The answer is larger than " + SizeText(bodyLimit_));
        return false;
    }
    return true;
}

std::vector<std::string> HttpResponseReader::Tokens(std::string_view name) const {
    std::vector<std::string> tokens;
    for (const auto& [field, value] : headers_) {
        if (!SameLetters(field, name)) {
            continue;
        }
        std::string_view rest = value;
        while (true) {
            const std::size_t comma = std::min(rest.find(','), rest.size());
            tokens.emplace_back(Trimmed(rest.substr(0, comma)));
            if (comma == rest.size()) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
    }
    return tokens;
}

// A failed answer has no body: the part received goes, whichever pieces it came in.
void HttpResponseReader::Fail(std::string why) {
    state_ = State::Failed;
    failure_ = std::move(why);
    std::string().swap(body_);
}

int HttpResponseReader::Stop(State outcome) {
    state_ = outcome;
    http_parser_pause(&parser_, 1);
    return 0;
}

void HttpResponseReader::TakeParserError() {
    const auto error = http_errno(parser_.http_errno);
    // The parser reports a chunk size that overflows as a content-length fault.
    if (error == HPE_INVALID_CONTENT_LENGTH && inBody_ && (parser_.flags & F_CHUNKED) != 0) {
        Fail("Unreadable answer: a chunk's size is too large");
        return;
    }
    Fail(std::string("Unreadable answer: ") + http_errno_description(error));
}

} // namespace zintra
