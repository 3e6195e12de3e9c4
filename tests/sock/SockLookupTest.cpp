#include "sock/HostCache.h"
#include "tests/support/SockTestSupport.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <thread>

using testing::_;
using testing::Return;
using testing::StrictMock;

namespace zintra {

namespace {

class SockLookup : public testing::Test {
protected:
    SockLookup() { HostCache().Clear(); }
    ~SockLookup() override { HostCache().Clear(); }

    StrictMock<MockWinSock> layer_;
    ScopedLayer scoped_{layer_};
    InfoLog log_;
    TSock sock_{nullptr};
};

HostEntry Host(std::uint32_t hostOrderAddress) {
    return HostEntry{"resolved", {htonl(hostOrderAddress)}};
}

} // namespace

TEST_F(SockLookup, ResolvesANameOnceAndAnswersLaterAsksFromTheCache) {
    log_.Watch(sock_);
    EXPECT_CALL(layer_, gethostbyname("Server.Example")).WillOnce(Return(Host(0x0A000001)));
    EXPECT_EQ(sock_.LookupHost("Server.Example"), htonl(0x0A000001));
    EXPECT_EQ(sock_.LookupHost("server.example"), htonl(0x0A000001));
    EXPECT_EQ(sock_.LookupHost("SERVER.EXAMPLE"), htonl(0x0A000001));
    EXPECT_EQ(log_.Texts(), (std::vector<std::string>{"Lookup Of Host Server.Example",
                                                      "Lookup Of Host server.example",
                                                      "Lookup Of Host SERVER.EXAMPLE"}));
    EXPECT_EQ(HostCache().Count(), 1);
}

TEST_F(SockLookup, FailedLookupsAreNotRemembered) {
    EXPECT_CALL(layer_, gethostbyname("nowhere")).Times(2).WillRepeatedly(Return(std::nullopt));
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            sock_.LookupHost("nowhere");
            ADD_FAILURE();
        } catch (const ESockException& failure) {
            EXPECT_STREQ(failure.what(), "Host Lookup - Could Not Find Host Entry");
        }
    }
    EXPECT_EQ(HostCache().Count(), 0);
}

TEST_F(SockLookup, DigitLedNamesGoToInetAddrAndStayOutOfTheCache) {
    log_.Watch(sock_);
    EXPECT_CALL(layer_, inet_addr("192.168.0.1")).WillOnce(Return(htonl(0xC0A80001)));
    EXPECT_CALL(layer_, inet_addr("1st.example")).WillOnce(Return(WsInaddrNone));
    EXPECT_EQ(sock_.LookupHost("192.168.0.1"), htonl(0xC0A80001));
    EXPECT_EQ(sock_.LookupHost("1st.example"), WsInaddrNone);
    EXPECT_EQ(sock_.LookupHost(""), WsInaddrAny);
    EXPECT_EQ(log_.Texts(), (std::vector<std::string>{"Lookup Of Host 192.168.0.1",
                                                      "Lookup Of Host 1st.example"}));
    EXPECT_EQ(HostCache().Count(), 0);
}

TEST_F(SockLookup, OddHostNamesReachTheResolverIntactAndFailCleanly) {
    const std::string names[] = {"two words",
                                 "tab\there",
                                 std::string("nul\0byte", 8),
                                 "\xC3\xBCml\xC3\xA4ut",
                                 std::string(300, 'a'),
                                 "-",
                                 "a..b"};
    for (const std::string& name : names) {
        EXPECT_CALL(layer_, gethostbyname(name)).WillOnce(Return(std::nullopt));
        EXPECT_THROW(sock_.LookupHost(name), ESockException);
    }
    EXPECT_EQ(HostCache().Count(), 0);
}

TEST_F(SockLookup, ServiceNamesAskForTheProtocolOfTheSocketType) {
    EXPECT_CALL(layer_, getservbyname("echo", "tcp"))
        .WillOnce(Return(ServEntry{"echo", htons(7), "tcp"}));
    EXPECT_EQ(sock_.LookupPort("echo"), htons(7));
    sock_.SetSocketType(stDatagram);
    EXPECT_CALL(layer_, getservbyname("echo", "udp"))
        .WillOnce(Return(ServEntry{"echo", htons(7), "udp"}));
    EXPECT_EQ(sock_.LookupPort("echo"), htons(7));
}

// The host cache is shared by components on accept threads.
TEST(HostCache, TakesConcurrentAdditionsAndSearches) {
    THostCache cache;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&cache, t] {
            for (int i = 0; i < 500; ++i) {
                cache.Add("host" + std::to_string(t) + "-" + std::to_string(i), std::uint32_t(i));
                cache.Find("HOST0-0");
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(cache.Count(), 2000);
    EXPECT_EQ(cache.Find("Host3-499"), 499u);
}

struct PortCase {
    const char* name;
    int port;            // -1: fails
    const char* failure; // the failure's text
};

void PrintTo(const PortCase& c, std::ostream* os) {
    *os << '"' << c.name << '"';
}

class SockPortLookup : public testing::TestWithParam<PortCase> {};

TEST_P(SockPortLookup, NumbersAndServiceNames) {
    const PortCase& c = GetParam();
    TSock sock(nullptr);
    InfoLog log;
    log.Watch(sock);
    if (c.port >= 0) {
        EXPECT_EQ(ntohs(sock.LookupPort(c.name)), c.port);
    } else {
        try {
            sock.LookupPort(c.name);
            ADD_FAILURE() << "no failure";
        } catch (const std::exception& failure) {
            EXPECT_STREQ(failure.what(), c.failure);
        }
    }
    EXPECT_EQ(log.Texts(), std::vector<std::string>{std::string("Lookup Of Port ") + c.name});
}

INSTANTIATE_TEST_SUITE_P(
    Sock, SockPortLookup,
    testing::Values(PortCase{"80", 80, nullptr}, PortCase{"0x50", 80, nullptr},
                    PortCase{"0X50", 80, nullptr}, PortCase{"00080", 80, nullptr},
                    PortCase{"65616", 80, nullptr}, PortCase{"0xFFFFFFFF", 65535, nullptr},
                    PortCase{"echo", 7, nullptr},
                    PortCase{"8O", -1, "'8O' is not a valid integer value"},
                    PortCase{"0x", -1, "'0x' is not a valid integer value"},
                    PortCase{"0x123456789", -1, "'0x123456789' is not a valid integer value"},
                    PortCase{"2147483648", -1, "'2147483648' is not a valid integer value"},
                    PortCase{"80 ", -1, "'80 ' is not a valid integer value"},
                    PortCase{"", -1, "Port Lookup - Could Not Find Service Entry"},
                    PortCase{"no-such-service", -1, "Port Lookup - Could Not Find Service Entry"}));

} // namespace zintra
