#pragma once

#include "web/HostLookup.h"
#include "web/HttpResponseReader.h"
#include "web/TlsSession.h"

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace zintra {

class TSock;

// The validators of a copy already kept: they make the request conditional.
struct HttpConditions {
    std::string etag;
    std::string lastModified;
};

// How a GET ended. `failure` is empty on success, and otherwise names the address asked for;
// `notModified` tells that a conditional request found the copy still current (and `body` is then
// empty).
struct HttpAnswer {
    std::string failure;
    bool notModified = false;
    // The address the body came from, after redirects.
    QUrl url;
    std::string body;
    std::string contentType;
    std::string etag;
    std::string lastModified;
    std::string cacheControl;
};

// What a GET may take: a connection (look-up, connect, secure handshake) is made within
// `connect`; the answer fails when no byte arrives for `idle`; the whole GET, redirects and
// look-ups included, ends within `whole`.
struct HttpLimits {
    std::chrono::milliseconds connect{20000};
    std::chrono::milliseconds idle{20000};
    std::chrono::milliseconds whole{300000};
};

// Why `url` would be refused before a connection is made ("ADDRESS - reason"), or nothing.
std::string RefusedAddress(const QUrl& url);

// The text of one HTTP/1.1 GET of `url` (an http: or https: address), closing the connection
// after it.
std::string GetRequest(const QUrl& url, const HttpConditions& conditions);

// One HTTP/1.1 GET at a time through a non-blocking TSock on the calling thread's event loop,
// over TLS for https: addresses. Host names are looked up off this thread and handed to the
// component as addresses. Redirects (301, 302, 303, 307, 308) are followed, at most five, to
// http: and https: addresses; the conditions go with every request, so a redirected copy may
// answer 304 too. The component's handlers are this object's while it fetches. The outcome
// arrives through OnDone from the event loop, never from inside Start or Cancel, so its handler
// may start another GET or destroy this object.
class HttpGet : public QObject {
public:
    static constexpr int kMaxRedirects = 5;

    explicit HttpGet(TSock& sock, QObject* parent = nullptr);
    ~HttpGet() override;

    void SetLimits(const HttpLimits& limits) { limits_ = limits; }
    // The largest body taken (HttpResponseReader::kBodyLimit unless set).
    void SetBodyLimit(std::size_t bytes) { bodyLimit_ = bytes; }

    // Starts fetching `url`, ending the GET that runs, if any, without its outcome.
    void Start(const QUrl& url, const HttpConditions& conditions = {});
    // Stops the GET that runs; its outcome never arrives.
    void Cancel();
    bool Running() const { return running_; }

    // Body bytes received so far by the current request.
    std::function<void(std::size_t bytes)> OnProgress;
    std::function<void(const HttpAnswer& answer)> OnDone;

private:
    // Where the current request is: the step timer's limit and message follow it.
    enum class Step { LookingUp, Connecting, Handshaking, Answering };

    void QueueRequest();
    void Request();
    void Resolved(const std::optional<std::string>& address);
    void Connected();
    void SendRequest();
    void SendWire(const std::string& wire);
    void Read();
    void Take(const std::string& wire);
    void StepTimedOut();
    void PeerClosed();
    void SocketError(const std::string& text);
    void Examine();
    void Redirect(const std::string& location);
    void Succeed();
    void Fail(const std::string& why);
    // Ends the request on the socket; the outcome, if any, goes out from the event loop.
    void Finish(HttpAnswer answer);
    void Release();

    TSock& sock_;
    HostLookup lookup_;
    std::unique_ptr<TlsSession> tls_;
    // The limit of the current step, and the one of the whole GET.
    QTimer stepTimer_;
    QTimer wholeTimer_;
    HttpLimits limits_;
    Step step_ = Step::LookingUp;
    std::size_t bodyLimit_ = HttpResponseReader::kBodyLimit;
    // The address asked for, which failures name, and the one the current request goes to.
    QUrl requested_;
    QUrl url_;
    HttpConditions conditions_;
    int redirects_ = 0;
    std::unique_ptr<HttpResponseReader> reader_;
    bool running_ = false;
    // Counts the GETs, so that an outcome posted for an earlier one is dropped.
    unsigned generation_ = 0;
};

} // namespace zintra
