#pragma once

#include "web/HttpResponseReader.h"

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
};

// The text of one HTTP/1.1 GET of `url` (an http: address), closing the connection after it.
std::string GetRequest(const QUrl& url, const HttpConditions& conditions);

// One HTTP/1.1 GET at a time through a non-blocking TSock on the calling thread's event loop:
// redirects (301, 302, 303, 307, 308) are followed, at most five, to http: addresses only;
// every request must be answered completely within the time-out. The component's handlers are
// this object's while it fetches. The outcome arrives through OnDone from the event loop, never
// from inside Start or Cancel, so its handler may start another GET or destroy this object.
class HttpGet : public QObject {
public:
    static constexpr int kMaxRedirects = 5;
    static constexpr std::chrono::milliseconds kTimeout{20000};

    explicit HttpGet(TSock& sock, QObject* parent = nullptr);
    ~HttpGet() override;

    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
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
    void QueueRequest();
    void Request();
    void Connected();
    void Read();
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
    QTimer timer_;
    std::chrono::milliseconds timeout_ = kTimeout;
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
