#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zintra {

// Why a secure connection failed, in words for the user.
class ETlsFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The client side of one TLS session, driven through memory buffers so that it runs over any
// non-blocking stream: what the peer sent goes in through Receive, what the peer must get comes
// out of TakeOutgoing. The peer's certificate must chain to the system's store (or the one
// SSL_CERT_FILE / SSL_CERT_DIR name) and be valid for `host`; TLS 1.2 is the least accepted.
class TlsSession {
public:
    explicit TlsSession(const std::string& host);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // Takes bytes from the peer and gives the plain bytes they complete. Raises ETlsFailure.
    std::string Receive(std::string_view wire);
    // Encrypts plain bytes for the peer; only once Established.
    void Send(std::string_view plain);
    // The bytes the peer must get next: the handshake's, or what Send encrypted.
    std::string TakeOutgoing();

    bool Established() const { return established_; }
    // The peer ended the session in order (close_notify).
    bool Closed() const { return closed_; }

private:
    struct Handles;

    // Goes on with the handshake; raises ETlsFailure when it fails.
    void Handshake();
    [[noreturn]] void Raise(int result);

    std::string host_;
    std::unique_ptr<Handles> handles_;
    bool established_ = false;
    bool closed_ = false;
};

} // namespace zintra
