#include "web/TlsSession.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace zintra {

namespace {

struct CtxFree {
    void operator()(SSL_CTX* ctx) const { SSL_CTX_free(ctx); }
};
struct SslFree {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
};

// A context per session: the certificate store is read as SSL_CERT_FILE says at that moment.
SSL_CTX* NewContext() {
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    if (ctx == nullptr) {
        throw ETlsFailure("The secure connection could not be prepared");
    }
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_options(ctx, SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_default_verify_paths(ctx);
    return ctx;
}

std::string CertificateFailure(long result, const std::string& host) {
    switch (result) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return "The server's certificate is not signed by an authority this system trusts "
               "(self-signed or an unknown issuer)";
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return "The server's certificate is not for " + host;
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return "The server's certificate has expired";
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return "The server's certificate is not valid yet";
    default:
        return std::string("The server's certificate was refused: ") +
               X509_verify_cert_error_string(result);
    }
}

// What the library's error queue says, in words for the user.
std::string ProtocolFailure(unsigned long error) {
    const int reason = ERR_GET_REASON(error);
    const char* text = ERR_reason_error_string(error);
    const std::string why = text != nullptr ? text : "no reason given";
    if (reason == SSL_R_WRONG_VERSION_NUMBER || reason == SSL_R_PACKET_LENGTH_TOO_LONG ||
        reason == SSL_R_RECORD_LENGTH_MISMATCH) {
        return "The server does not speak TLS on this port (" + why + ")";
    }
    if (reason == SSL_R_UNSUPPORTED_PROTOCOL || reason == SSL_R_TLSV1_ALERT_PROTOCOL_VERSION) {
        return "The server offers no TLS 1.2 or later (" + why + ")";
    }
    if (reason >= SSL_AD_REASON_OFFSET) {
        return "The server broke off the secure connection (" + why + ")";
    }
    if (error == 0) {
        return "The secure connection failed";
    }
    return "The secure connection failed (" + why + ")";
}

} // namespace

struct TlsSession::Handles {
    std::unique_ptr<SSL_CTX, CtxFree> ctx;
    std::unique_ptr<SSL, SslFree> ssl;
    // Owned by ssl.
    BIO* in = nullptr;
    BIO* out = nullptr;
};

TlsSession::TlsSession(const std::string& host)
    : host_(host), handles_(std::make_unique<Handles>()) {
    handles_->ctx.reset(NewContext());
    handles_->ssl.reset(SSL_new(handles_->ctx.get()));
    SSL* ssl = handles_->ssl.get();
    handles_->in = BIO_new(BIO_s_mem());
    handles_->out = BIO_new(BIO_s_mem());
    if (ssl == nullptr || handles_->in == nullptr || handles_->out == nullptr) {
        BIO_free(handles_->in);
        BIO_free(handles_->out);
        throw ETlsFailure("The secure connection could not be prepared");
    }
    // An empty in-buffer asks for more instead of reporting the end of the stream.
    BIO_set_mem_eof_return(handles_->in, -1);
    SSL_set_bio(ssl, handles_->in, handles_->out);
    SSL_set_connect_state(ssl);
    // An address is checked against the certificate's addresses; a name is also sent (SNI).
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
    if (X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str()) != 1) {
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        if (SSL_set1_host(ssl, host.c_str()) != 1 ||
            SSL_set_tlsext_host_name(ssl, host.c_str()) != 1) {
            throw ETlsFailure("The secure connection could not be prepared for " + host);
        }
    }
    Handshake();
}

TlsSession::~TlsSession() = default;

void TlsSession::Handshake() {
    ERR_clear_error();
    const int result = SSL_do_handshake(handles_->ssl.get());
    if (result == 1) {
        established_ = true;
    } else if (SSL_get_error(handles_->ssl.get(), result) != SSL_ERROR_WANT_READ) {
        Raise(result);
    }
}

std::string TlsSession::Receive(std::string_view wire) {
    if (!wire.empty() &&
        BIO_write(handles_->in, wire.data(), int(wire.size())) != int(wire.size())) {
        throw ETlsFailure("The secure connection failed (out of memory)");
    }
    if (!established_) {
        Handshake();
    }
    std::string plain;
    while (established_ && !closed_) {
        char chunk[16384];
        std::size_t got = 0;
        ERR_clear_error();
        const int result = SSL_read_ex(handles_->ssl.get(), chunk, sizeof chunk, &got);
        if (result == 1) {
            plain.append(chunk, got);
            continue;
        }
        const int error = SSL_get_error(handles_->ssl.get(), result);
        if (error == SSL_ERROR_ZERO_RETURN) {
            closed_ = true;
        } else if (error != SSL_ERROR_WANT_READ) {
            Raise(result);
        }
        break;
    }
    return plain;
}

void TlsSession::Send(std::string_view plain) {
    std::size_t written = 0;
    ERR_clear_error();
    // Memory buffers take everything at once.
    if (SSL_write_ex(handles_->ssl.get(), plain.data(), plain.size(), &written) != 1) {
        Raise(0);
    }
}

std::string TlsSession::TakeOutgoing() {
    std::string wire(std::size_t(BIO_ctrl_pending(handles_->out)), '\0');
    if (!wire.empty()) {
        BIO_read(handles_->out, wire.data(), int(wire.size()));
    }
    return wire;
}

void TlsSession::Raise(int result) {
    SSL* ssl = handles_->ssl.get();
    if (const long verified = SSL_get_verify_result(ssl); !established_ && verified != X509_V_OK) {
        throw ETlsFailure(CertificateFailure(verified, host_));
    }
    const unsigned long error = ERR_peek_last_error();
    if (error == 0 && SSL_get_error(ssl, result) == SSL_ERROR_SYSCALL) {
        throw ETlsFailure("The secure connection failed");
    }
    throw ETlsFailure(ProtocolFailure(error));
}

} // namespace zintra
