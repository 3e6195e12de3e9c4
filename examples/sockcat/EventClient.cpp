#include "examples/sockcat/EventClient.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <iostream>

namespace zintra {

namespace {

// How long a datagram client listens for late answers once its input has ended.
constexpr int LateAnswerMs = 1000;

} // namespace

// The connection's end decides the status: "Socket Closed" comes last, after what OutBuffer held
// went out or a failure was reported.
EventClient::EventClient(const CatOptions& options) : udp_(options.Udp) {
    ConfigureSock(sock_, options);
    const TNotifyInfoEvent report = sock_.OnInfo;
    sock_.OnInfo = [this, report, verbose = options.Verbose](QObject* sender, TSocketInfo kind,
                                                             std::string text) {
        if (report) {
            report(sender, kind, text);
        }
        if (kind == siError) {
            Fail(verbose ? std::string() : text);
        } else if (kind == siClose) {
            Closed();
        }
    };
    input_ = new QSocketNotifier(InputFd, QSocketNotifier::Read, this);
    input_->setEnabled(false);
    connect(input_, &QSocketNotifier::activated, this,
            [this] { Guarded([this] { InputReady(); }); });
    // Input is read only while the connection takes it: a full OutBuffer pauses it.
    sock_.OnConnect = [this](QObject*) { input_->setEnabled(true); };
    sock_.OnWrite = [this](QObject*) {
        if (peerClosed_) {
            Guarded([this] { SendRestOfInput(); });
        } else if (sock_.OutBuffer().Empty() && !inputEnded_ && sock_.Connected() && !done_) {
            input_->setEnabled(true);
        }
    };
    // The component closes the connection once OutBuffer is empty after the peer's close: it
    // is kept filled from the input until the input ends.
    sock_.OnDisconnect = [this](QObject*) {
        peerClosed_ = true;
        Guarded([this] { SendRestOfInput(); });
    };
    sock_.OnRead = [this](QObject*, std::int32_t) { Guarded([this] { Received(); }); };
}

// The component's last report, made as it is destroyed, finds nobody to tell.
EventClient::~EventClient() {
    sock_.OnInfo = nullptr;
}

int EventClient::Run() {
    try {
        if (udp_) {
            OpenConnectedDatagram(sock_);
        } else {
            sock_.Open();
        }
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << std::endl;
        return 1;
    }
    // A connect refused at once has been reported already.
    if (failed_) {
        return 1;
    }
    if (udp_) {
        input_->setEnabled(true);
    }
    const int status = QCoreApplication::exec();
    return failed_ ? 1 : status;
}

void EventClient::InputReady() {
    std::string piece;
    if (!ReadInput(piece)) {
        InputEnded();
        return;
    }
    if (udp_) {
        lines_.Feed(piece, [this](const std::string& line) { SendDatagramLine(sock_, line); });
        return;
    }
    sock_.Send(piece);
    if (!sock_.OutBuffer().Empty()) {
        input_->setEnabled(false);
    }
}

void EventClient::InputEnded() {
    inputEnded_ = true;
    input_->setEnabled(false);
    if (udp_) {
        lines_.Finish([this](const std::string& line) { SendDatagramLine(sock_, line); });
        QTimer::singleShot(LateAnswerMs, [this] { Done(0); });
    } else {
        sock_.ShutdownSend();
    }
}

void EventClient::SendRestOfInput() {
    input_->setEnabled(false);
    while (!inputEnded_ && sock_.OutBuffer().Empty() && sock_.SocketHandle() != INVALID_SOCKET) {
        std::string piece;
        if (!ReadInput(piece)) {
            InputEnded();
            return;
        }
        sock_.Send(std::move(piece));
    }
}

void EventClient::Received() {
    if (!udp_) {
        WriteOutput(sock_.Receive(-1));
        return;
    }
    for (std::string datagram; ReceiveDatagramLine(sock_, datagram);) {
        WriteOutput(datagram + "\n");
    }
}

// An orderly close: everything read from the input was handed over, or a failure said why not.
void EventClient::Closed() {
    if (!sock_.OutBuffer().Empty()) {
        Fail("sockcat: the connection closed before all input was sent");
        return;
    }
    Done(0);
}

void EventClient::Fail(const std::string& text) {
    if (done_) {
        return;
    }
    if (!text.empty()) {
        std::cerr << text << std::endl;
    }
    failed_ = true;
    Done(1);
}

void EventClient::Done(int status) {
    if (done_) {
        return;
    }
    done_ = true;
    input_->setEnabled(false);
    QCoreApplication::exit(status);
}

// Once the outcome is known nothing more is done: input or data still on their way find the
// exchange over.
template <typename Step> void EventClient::Guarded(Step step) {
    if (done_) {
        return;
    }
    try {
        step();
    } catch (const std::exception& failure) {
        Fail(failure.what());
    }
}

} // namespace zintra
