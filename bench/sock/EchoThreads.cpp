// What a blocking echo costs without TSock: one thread per connection, blocking recv of 32768
// bytes and send, the way sockecho --blocking serves. Against the poll floor it shows what the
// thread per connection itself costs.
//   echo_threads PORT

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <netinet/in.h>
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
    std::signal(SIGPIPE, SIG_IGN);
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(std::atoi(argv[1])));
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 128) != 0) {
        return 1;
    }
    for (;;) {
        if (const int s = ::accept(listener, nullptr, nullptr); s >= 0) {
            std::thread(Serve, s).detach();
        }
    }
}
