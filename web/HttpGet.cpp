#include "web/HttpGet.h"

#include "sock/Sock.h"
#include "sock/SockExceptions.h"
#include "sock/SockTypes.h"

namespace zintra {

namespace {

std::string Text(const QUrl& url) {
    return url.toString(QUrl::FullyEncoded).toStdString();
}

bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Only http: is spoken; anything else is refused before a connection is made.
std::string UnsupportedScheme(const QUrl& url) {
    if (url.scheme() == QStringLiteral("http") && !url.host().isEmpty()) {
        return {};
    }
    if (url.scheme() == QStringLiteral("http")) {
        return "The address names no host";
    }
    return "Only http: addresses are supported, not " +
           (url.scheme().isEmpty() ? std::string("this one") : url.scheme().toStdString() + ":");
}

// A header value goes out on one line.
std::string OneLine(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

} // namespace

std::string GetRequest(const QUrl& url, const HttpConditions& conditions) {
    std::string target = url.path(QUrl::FullyEncoded).toStdString();
    if (target.empty()) {
        target = "/";
    }
    if (url.hasQuery()) {
        target += "?" + url.query(QUrl::FullyEncoded).toStdString();
    }
    std::string host = url.host(QUrl::FullyEncoded).toStdString();
    if (url.port() != -1) {
        host += ":" + std::to_string(url.port());
    }
    std::string request = "GET " + target + " HTTP/1.1\r\nHost: " + host +
                          "\r\nUser-Agent: Zintra/1.00\r\nAccept-Encoding: identity\r\n"
                          "Connection: close\r\n";
    if (!conditions.etag.empty()) {
        request += "If-None-Match: " + OneLine(conditions.etag) + "\r\n";
    }
    if (!conditions.lastModified.empty()) {
        request += "If-Modified-Since: " + OneLine(conditions.lastModified) + "\r\n";
    }
    return request + "\r\n";
}

// The handlers stay for the object's life and act only while a request has a reader: a
// notification that arrives for a socket already given up finds none.
HttpGet::HttpGet(TSock& sock, QObject* parent) : QObject(parent), sock_(sock) {
    sock_.OnConnect = [this](QObject*) { Connected(); };
    sock_.OnRead = [this](QObject*, std::int32_t) { Read(); };
    sock_.OnDisconnect = [this](QObject*) { PeerClosed(); };
    sock_.OnInfo = [this](QObject*, TSocketInfo kind, const std::string& text) {
        if (kind == siError) {
            SocketError(text);
        }
    };
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        Fail("No complete answer within " +
             std::to_string(std::chrono::duration_cast<std::chrono::seconds>(timeout_).count()) +
             " seconds");
    });
}

HttpGet::~HttpGet() {
    Release();
    sock_.OnConnect = nullptr;
    sock_.OnRead = nullptr;
    sock_.OnDisconnect = nullptr;
    sock_.OnInfo = nullptr;
}

void HttpGet::Start(const QUrl& url, const HttpConditions& conditions) {
    Cancel();
    running_ = true;
    requested_ = url;
    url_ = url;
    conditions_ = conditions;
    redirects_ = 0;
    QueueRequest();
}

void HttpGet::Cancel() {
    ++generation_;
    if (running_) {
        Release();
    }
}

void HttpGet::Request() {
    if (const std::string refused = UnsupportedScheme(url_); !refused.empty()) {
        Fail(refused);
        return;
    }
    reader_ = std::make_unique<HttpResponseReader>(bodyLimit_);
    sock_.SetBlocking(false);
    sock_.SetHostName(url_.host(QUrl::FullyEncoded).toStdString());
    sock_.SetPortName(std::to_string(url_.port(80)));
    timer_.start(timeout_);
    try {
        sock_.Open();
    } catch (const ESockException& failure) {
        Fail(failure.what());
    }
}

void HttpGet::Connected() {
    if (!reader_) {
        return;
    }
    sock_.Send(GetRequest(url_, redirects_ == 0 ? conditions_ : HttpConditions{}));
}

void HttpGet::Read() {
    if (!reader_) {
        return;
    }
    reader_->Feed(sock_.Receive(-1));
    if (OnProgress && reader_->Outcome() == HttpResponseReader::State::Reading) {
        OnProgress(reader_->BodySize());
    }
    Examine();
}

void HttpGet::PeerClosed() {
    if (!reader_) {
        return;
    }
    // What arrived with the close is read before the end counts.
    if (sock_.InBuffer().Size() > 0) {
        reader_->Feed(sock_.Receive(-1));
    }
    reader_->FeedEnd();
    Examine();
}

// A failed connect, or a connection that failed (a reset) before the answer was whole.
void HttpGet::SocketError(const std::string& text) {
    if (!reader_ || reader_->Outcome() != HttpResponseReader::State::Reading) {
        return;
    }
    if (!sock_.Connected()) {
        Fail("Could not connect to " + url_.authority().toStdString() + ": " + text);
    } else {
        Fail("The connection failed before the end of the answer: " + text);
    }
}

void HttpGet::Examine() {
    if (!reader_) {
        return;
    }
    switch (reader_->Outcome()) {
    case HttpResponseReader::State::Reading:
        return;
    case HttpResponseReader::State::Failed:
        Fail(reader_->Failure());
        return;
    case HttpResponseReader::State::Complete:
        break;
    }
    const int status = reader_->StatusCode();
    if (status == 200) {
        Succeed();
    } else if (status == 304 && redirects_ == 0 &&
               (!conditions_.etag.empty() || !conditions_.lastModified.empty())) {
        HttpAnswer answer;
        answer.url = url_;
        answer.notModified = true;
        Finish(std::move(answer));
    } else if (IsRedirect(status) && reader_->Header("Location")) {
        Redirect(*reader_->Header("Location"));
    } else {
        Fail(reader_->StatusText());
    }
}

void HttpGet::Redirect(const std::string& location) {
    const QUrl next = url_.resolved(QUrl(QString::fromStdString(location)));
    if (redirects_ == kMaxRedirects) {
        Fail("More than " + std::to_string(kMaxRedirects) + " redirects");
        return;
    }
    if (const std::string refused = UnsupportedScheme(next); !refused.empty()) {
        Fail(refused + " (redirected to " + Text(next) + ")");
        return;
    }
    ++redirects_;
    url_ = next;
    Release();
    running_ = true;
    QueueRequest();
}

// A request opens its socket from the event loop: the component has left the handler that
// brought the last answer, and notifications already posted for a socket given up, which the
// component would take for its new one's, have been handled (and dropped) before.
void HttpGet::QueueRequest() {
    QMetaObject::invokeMethod(
        this,
        [this, generation = generation_] {
            if (generation == generation_ && running_) {
                Request();
            }
        },
        Qt::QueuedConnection);
}

void HttpGet::Succeed() {
    HttpAnswer answer;
    answer.url = url_;
    answer.contentType = reader_->Header("Content-Type").value_or("");
    answer.etag = reader_->Header("ETag").value_or("");
    answer.lastModified = reader_->Header("Last-Modified").value_or("");
    answer.body = reader_->TakeBody();
    Finish(std::move(answer));
}

void HttpGet::Fail(const std::string& why) {
    HttpAnswer answer;
    answer.url = url_;
    answer.failure = Text(requested_) + " - " + why;
    Finish(std::move(answer));
}

void HttpGet::Finish(HttpAnswer answer) {
    Release();
    QMetaObject::invokeMethod(
        this,
        [this, generation = generation_, answer = std::move(answer)] {
            if (generation == generation_ && OnDone) {
                OnDone(answer);
            }
        },
        Qt::QueuedConnection);
}

// The component is left idle.
void HttpGet::Release() {
    running_ = false;
    timer_.stop();
    reader_.reset();
    if (sock_.SocketHandle() != INVALID_SOCKET) {
        sock_.Close();
    }
}

} // namespace zintra
