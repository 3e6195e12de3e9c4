#include "tests/support/WebServers.h"
#include "tests/web/WebFixture.h"

#include <gtest/gtest.h>

namespace zintra {
namespace {

// The idle limit counts from the last byte: 4 KiB every half second outlasts it.
TEST(FetchLimits, ASteadySlowAnswerIsTakenWhole) {
    WebFixture web;
    WebServer server("trickle");
    web.get.SetLimits(kShortIdle);
    const HttpAnswer answer = web.Get(server.Url("/c.zin"));
    EXPECT_EQ(answer.failure, "");
    EXPECT_EQ(answer.body, std::string(8 * 4096, 'x'));
}

// Refused before a connection, naming the address, instead of fetching from port 80.
TEST(FetchLimits, RefusesPortsOutOfRangeAndIpv6Addresses) {
    WebFixture web;
    for (const std::string text : {"http://127.0.0.1:0/c.zin", "http://127.0.0.1:65536/c.zin",
                                   "https://127.0.0.1:99999/c.zin", "http://127.0.0.1:abc/c.zin"}) {
        EXPECT_EQ(web.Get(QUrl(QString::fromStdString(text))).failure,
                  text + " - The port must be a number from 1 to 65535");
    }
    EXPECT_EQ(web.Get(QUrl("http://[::1]:8080/c.zin")).failure,
              "http://[::1]:8080/c.zin - Only IPv4 addresses are supported, not [::1]");
}

} // namespace
} // namespace zintra
