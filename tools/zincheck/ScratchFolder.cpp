#include "tools/zincheck/ScratchFolder.h"

namespace zintra {

namespace {

volatile std::sig_atomic_t noted = 0;

extern "C" void Note(int signal) {
    noted = signal;
}

// A signal that is ignored (a job in the background) stays ignored.
void (*Take(int signal))(int) {
    const auto previous = std::signal(signal, Note);
    if (previous == SIG_IGN) {
        std::signal(signal, SIG_IGN);
    }
    return previous;
}

} // namespace

ScratchFolder::ScratchFolder()
    : previousInterrupt_(Take(SIGINT)), previousTerminate_(Take(SIGTERM)) {
    watch_.setInterval(50);
    QObject::connect(&watch_, &QTimer::timeout, [this] {
        if (noted != 0) {
            End();
        }
    });
    watch_.start();
}

ScratchFolder::~ScratchFolder() {
    End();
}

void ScratchFolder::End() {
    watch_.stop();
    folder_.remove();
    std::signal(SIGINT, previousInterrupt_);
    std::signal(SIGTERM, previousTerminate_);
    if (const int signal = noted; signal != 0) {
        noted = 0;
        std::raise(signal);
    }
}

} // namespace zintra
