// What a blocking echo costs without TSock: one thread per connection, blocking recv of 32768
// bytes and send, the way sockecho --blocking serves. Against the poll floor it shows what the
// thread per connection itself costs.
//   echo_threads PORT

#include "bench/sock/PlainListener.h"

#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace zintra {

namespace {

void Serve(int s) {
    char buffer[32768];
    for (ssize_t n; (n = ::recv(s, buffer, sizeof buffer, 0)) > 0;) {
        for (const char* p = buffer; n > 0;) {
            const ssize_t sent = ::send(s, p, std::size_t(n), MSG_NOSIGNAL);
            if (sent <= 0) {
                ::close(s);
                return;
            }
            p += sent;
            n -= sent;
        }
    }
    ::close(s);
}

} // namespace

} // namespace zintra

int main(int argc, char** argv) {
    using namespace zintra;
    if (argc != 2) {
        return 2;
    }
    const int listener = ListenOnPort(argv[1]);
    if (listener < 0) {
        return 1;
    }
    for (;;) {
        if (const int s = ::accept(listener, nullptr, nullptr); s >= 0) {
            std::thread(Serve, s).detach();
        }
    }
}
