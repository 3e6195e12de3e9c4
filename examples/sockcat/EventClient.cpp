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
        }
    };
    input_ = new QSocketNotifier(InputFd, QSocketNotifier::Read, this);
    input_->setEnabled(false);
    connect(input_, &QSocketNotifier::activated, this,
            [this] { Guarded([this] { InputReady(); }); });
    // Input is read only while the connection takes it: a full OutBuffer pauses it.
    sock_.OnConnect = [this](QObject*) { input_->setEnabled(true); };
    sock_.OnWrite = [this](QObject*) {
        if (sock_.OutBuffer().Empty() && !inputEnded_ && sock_.Connected()) {
            input_->setEnabled(true);
        }
    };
    sock_.OnRead = [this](QObject*, std::int32_t) { Guarded([this] { Received(); }); };
    sock_.OnDisconnect = [](QObject*) { QCoreApplication::exit(0); };
}

int EventClient::Run() {
    try {
        sock_.Open();
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
        lines_.Feed(piece, [this](const std::string& line) { sock_.Send(line); });
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
        lines_.Finish([this](const std::string& line) { sock_.Send(line); });
        QTimer::singleShot(LateAnswerMs, [] { QCoreApplication::exit(0); });
    } else {
        sock_.ShutdownSend();
    }
}

void EventClient::Received() {
    if (!udp_) {
        WriteOutput(sock_.Receive(-1));
        return;
    }
    std::string sender;
    const std::string datagram = sock_.ReceiveDatagram(sender);
    if (!datagram.empty()) {
        WriteOutput(datagram + "\n");
    }
}

void EventClient::Fail(const std::string& text) {
    if (!text.empty()) {
        std::cerr << text << std::endl;
    }
    failed_ = true;
    QCoreApplication::exit(1);
}

template <typename Step> void EventClient::Guarded(Step step) {
    try {
        step();
    } catch (const std::exception& failure) {
        Fail(failure.what());
    }
}

} // namespace zintra
