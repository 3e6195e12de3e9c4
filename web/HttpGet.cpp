#include "web/HttpGet.h"

#include "sock/Sock.h"
#include "sock/SockExceptions.h"
#include "sock/SockTypes.h"
#include "web/WebAddress.h"

namespace zintra {

namespace {

constexpr QLatin1String kHttp("http");
constexpr QLatin1String kHttps("https");

std::string LimitText(std::chrono::milliseconds limit) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit).count();
    if (seconds >= 60 && seconds % 60 == 0) {
        return std::to_string(seconds / 60) + " minutes";
    }
    return std::to_string(seconds) + " seconds";
}

bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool IsSecure(const QUrl& url) {
    return url.scheme() == kHttps;
}

int PortOf(const QUrl& url) {
    return url.port(IsSecure(url) ? 443 : 80);
}

// An address that cannot be fetched is refused before a connection is made.
std::string Refusal(const QUrl& url) {
    if (!url.isValid()) {
        return url.errorString().contains(QStringLiteral("port"))
                   ? "The port must be a number from 1 to 65535"
                   : "The address is not valid";
    }
    if (url.scheme() != kHttp && url.scheme() != kHttps) {
        return "Only http: and https: addresses are supported, not " +
               (url.scheme().isEmpty() ? std::string("this one")
                                       : url.scheme().toStdString() + ":");
    }
    if (url.host().isEmpty()) {
        return "The address names no host";
    }
    if (url.host().contains(u':')) {
        return "Only IPv4 addresses are supported, not [" + url.host().toStdString() + "]";
    }
    if (url.port() == 0) {
        return "The port must be a number from 1 to 65535";
    }
    return {};
}

// A header value goes out on one line.
std::string OneLine(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

} // namespace

std::string RefusedAddress(const QUrl& url) {
    const std::string refused = Refusal(url);
    return refused.empty() ? refused : AddressText(url) + " - " + refused;
}

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
    lookup_.OnDone = [this](const std::optional<std::string>& address) { Resolved(address); };
    stepTimer_.setSingleShot(true);
    wholeTimer_.setSingleShot(true);
    connect(&stepTimer_, &QTimer::timeout, this, &HttpGet::StepTimedOut);
    connect(&wholeTimer_, &QTimer::timeout, this,
            [this] { Fail("No complete answer within " + LimitText(limits_.whole)); });
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
    wholeTimer_.start(limits_.whole);
    QueueRequest();
}

void HttpGet::Cancel() {
    ++generation_;
    wholeTimer_.stop();
    if (running_) {
        Release();
    }
}

void HttpGet::Request() {
    if (const std::string refused = Refusal(url_); !refused.empty()) {
        Fail(refused);
        return;
    }
    reader_ = std::make_unique<HttpResponseReader>(bodyLimit_);
    step_ = Step::LookingUp;
    stepTimer_.start(limits_.connect);
    lookup_.Start(url_.host(QUrl::FullyEncoded).toStdString());
}

void HttpGet::Resolved(const std::optional<std::string>& address) {
    if (!reader_) {
        return;
    }
    if (!address) {
        Fail("The look-up of the host " + url_.host(QUrl::FullyEncoded).toStdString() +
             " found no address");
        return;
    }
    step_ = Step::Connecting;
    sock_.SetBlocking(false);
    sock_.SetHostName(*address);
    sock_.SetPortName(std::to_string(PortOf(url_)));
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
    if (!IsSecure(url_)) {
        SendRequest();
        return;
    }
    step_ = Step::Handshaking;
    try {
        tls_ = std::make_unique<TlsSession>(url_.host(QUrl::FullyEncoded).toStdString());
        SendWire(tls_->TakeOutgoing());
    } catch (const ETlsFailure& failure) {
        Fail(failure.what());
    }
}

// The connection is made: from now on the answer must keep coming.
void HttpGet::SendRequest() {
    step_ = Step::Answering;
    stepTimer_.start(limits_.idle);
    const std::string request = GetRequest(url_, conditions_);
    if (!tls_) {
        sock_.Send(request);
        return;
    }
    tls_->Send(request);
    SendWire(tls_->TakeOutgoing());
}

void HttpGet::SendWire(const std::string& wire) {
    if (!wire.empty()) {
        sock_.Send(wire);
    }
}

void HttpGet::Read() {
    if (!reader_) {
        return;
    }
    if (step_ == Step::Answering) {
        stepTimer_.start(limits_.idle);
    }
    Take(sock_.Receive(-1));
    if (reader_ && OnProgress && reader_->Outcome() == HttpResponseReader::State::Reading) {
        OnProgress(reader_->BodySize());
    }
    Examine();
}

// Bytes from the connection, deciphered on a secure one; may end the GET.
void HttpGet::Take(const std::string& wire) {
    if (!tls_) {
        reader_->Feed(wire);
        return;
    }
    try {
        const std::string plain = tls_->Receive(wire);
        SendWire(tls_->TakeOutgoing());
        if (step_ == Step::Handshaking && tls_->Established()) {
            SendRequest();
        }
        reader_->Feed(plain);
    } catch (const ETlsFailure& failure) {
        Fail(failure.what());
    }
}

void HttpGet::PeerClosed() {
    if (!reader_) {
        return;
    }
    // What arrived with the close is read before the end counts.
    if (sock_.InBuffer().Size() > 0) {
        Take(sock_.Receive(-1));
    }
    if (!reader_) {
        return;
    }
    if (step_ == Step::Handshaking) {
        Fail("The server broke off the secure handshake");
        return;
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
    } else if (step_ == Step::Handshaking) {
        Fail("The server broke off the secure handshake: " + text);
    } else {
        Fail("The connection failed before the end of the answer: " + text);
    }
}

void HttpGet::StepTimedOut() {
    const std::string limit = LimitText(step_ == Step::Answering ? limits_.idle : limits_.connect);
    const std::string where = url_.authority(QUrl::FullyEncoded).toStdString();
    switch (step_) {
    case Step::LookingUp:
        Fail("The look-up of the host " + url_.host(QUrl::FullyEncoded).toStdString() +
             " found no address within " + limit);
        return;
    case Step::Connecting:
        Fail("No connection to " + where + " within " + limit);
        return;
    case Step::Handshaking:
        Fail("No secure connection with " + where + " within " + limit);
        return;
    case Step::Answering:
        Fail("No byte of the answer for " + limit);
        return;
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
    } else if (status == 304 && (!conditions_.etag.empty() || !conditions_.lastModified.empty())) {
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
    if (const std::string refused = Refusal(next); !refused.empty()) {
        Fail(refused + " (redirected to " + AddressText(next) + ")");
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
    answer.cacheControl = reader_->Header("Cache-Control").value_or("");
    answer.body = reader_->TakeBody();
    Finish(std::move(answer));
}

void HttpGet::Fail(const std::string& why) {
    HttpAnswer answer;
    answer.url = url_;
    answer.failure = AddressText(requested_) + " - " + why;
    Finish(std::move(answer));
}

void HttpGet::Finish(HttpAnswer answer) {
    wholeTimer_.stop();
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
    stepTimer_.stop();
    lookup_.Cancel();
    tls_.reset();
    reader_.reset();
    if (sock_.SocketHandle() != INVALID_SOCKET) {
        sock_.Close();
    }
}

} // namespace zintra
