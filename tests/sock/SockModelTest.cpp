#include "tests/support/SockTestSupport.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

using testing::_;
using testing::Return;
using testing::StrictMock;

namespace zintra {

TEST(SockModel, RunModeComponentIsHiddenIdleAndHasItsDefaults) {
    StrictMock<MockWinSock> layer; // construction makes no WinSock call
    ScopedLayer scoped(layer);
    QObject form;
    TSock sock(&form);
    EXPECT_EQ(sock.parent(), &form);
    EXPECT_FALSE(sock.ComponentState().Designing);
    EXPECT_EQ(sock.Width(), 0);
    EXPECT_EQ(sock.Height(), 0);
    EXPECT_FALSE(sock.Visible());
    EXPECT_EQ(sock.SocketHandle(), INVALID_SOCKET);
    EXPECT_EQ(sock.SocketType(), stStream);
    EXPECT_EQ(sock.LineBreak(), lbSmart);
    EXPECT_EQ(sock.LocalPortName(), "-1");
    EXPECT_EQ(sock.HostName(), "");
    EXPECT_EQ(sock.PortName(), "");
    EXPECT_EQ(sock.BlockingTimeout(), 0);
    EXPECT_FALSE(sock.Listen() || sock.Blocking() || sock.AutoAccept() || sock.Connected());
    EXPECT_STREQ(sock.GlyphName(), "");

    sock.SetBounds(88, 232, 28, 28);
    EXPECT_EQ(sock.Left(), 88);
    EXPECT_FALSE(sock.Visible());
}

TEST(SockModel, DesignModeShowsThePictureOfItsKindAndKeepsItsSize) {
    StrictMock<MockWinSock> layer; // no socket in design mode
    ScopedLayer scoped(layer);
    QObject form;
    TComponent::SetDesigning(&form, true);
    TSock sock(&form);
    int repaints = 0;
    QObject::connect(&sock, &TSock::RepaintRequested, [&repaints] { ++repaints; });

    ASSERT_TRUE(sock.ComponentState().Designing);
    EXPECT_EQ(sock.Width(), 28);
    EXPECT_EQ(sock.Height(), 28);
    EXPECT_TRUE(sock.Visible());
    EXPECT_STREQ(sock.GlyphName(), "TCP");

    sock.SetSocketType(stDatagram);
    EXPECT_STREQ(sock.GlyphName(), "UDP");
    sock.SetListen(true);
    EXPECT_EQ(sock.SocketType(), stStream);
    EXPECT_STREQ(sock.GlyphName(), "LISTEN");
    sock.SetSocketType(stDatagram);
    EXPECT_FALSE(sock.Listen());
    EXPECT_STREQ(sock.GlyphName(), "UDP");
    EXPECT_EQ(repaints, 4);

    sock.SetBounds(5, 6, 100, 40);
    EXPECT_EQ(sock.Left(), 5);
    EXPECT_EQ(sock.Width(), 28);
    EXPECT_EQ(sock.Height(), 28);
}

// The component's states for the setter rules: idle, connected (stream or datagram), listening.
enum class State { Idle, ConnectedStream, ConnectedDatagram, Listening };

struct SetterCase {
    const char* name;
    State state;
    std::function<void(TSock&)> assign;
    const char* failure; // nullptr: the assignment succeeds
    std::vector<std::string> reports;
    std::function<bool(const TSock&)> stored;
};

void PrintTo(const SetterCase& c, std::ostream* os) {
    *os << c.name;
}

class SockSetterRules : public testing::TestWithParam<SetterCase> {};

TEST_P(SockSetterRules, ReportRefuseOrStore) {
    const SetterCase& c = GetParam();
    TSock sock(nullptr);
    std::uint16_t port = 0;
    if (c.state == State::ConnectedStream) {
        TcpPair pair = MakeTcpPair();
        sock.Attach(pair.server.Release());
    } else if (c.state == State::ConnectedDatagram) {
        sock.SetSocketType(stDatagram);
        sock.SetPortName("9");
        sock.Attach(BoundUdpSocket(port).Release());
    } else if (c.state == State::Listening) {
        sock.SetPortName("0");
        sock.SetListen(true);
    }
    InfoLog log;
    log.Watch(sock);
    if (c.failure) {
        try {
            c.assign(sock);
            ADD_FAILURE() << "no failure raised";
        } catch (const ESockException& failure) {
            EXPECT_STREQ(failure.what(), c.failure);
        }
    } else {
        c.assign(sock);
    }
    EXPECT_EQ(log.Texts(), c.reports);
    EXPECT_TRUE(c.stored(sock));
    sock.OnInfo = nullptr;
}

INSTANTIATE_TEST_SUITE_P(
    Sock, SockSetterRules,
    testing::Values(SetterCase{"TypeWhileIdle",
                               State::Idle,
                               [](TSock& s) { s.SetSocketType(stDatagram); },
                               nullptr,
                               {},
                               [](const TSock& s) { return s.SocketType() == stDatagram; }},
                    SetterCase{"TypeWhileListening",
                               State::Listening,
                               [](TSock& s) { s.SetSocketType(stDatagram); },
                               "SocketType - Can't Assign Socket Type While Listening",
                               {},
                               [](const TSock& s) { return s.SocketType() == stStream; }},
                    SetterCase{"TypeWhileConnected",
                               State::ConnectedStream,
                               [](TSock& s) { s.SetSocketType(stDatagram); },
                               "SocketType - Can't Assign Socket Type While Connected",
                               {},
                               [](const TSock& s) { return s.SocketType() == stStream; }},
                    SetterCase{"PortWhileConnected",
                               State::ConnectedDatagram,
                               [](TSock& s) { s.SetPortName("81"); },
                               nullptr,
                               {"Setting PortName While Connected Has No Effect"},
                               [](const TSock& s) { return s.PortName() == "81"; }},
                    SetterCase{"PortWhileListening",
                               State::Listening,
                               [](TSock& s) { s.SetPortName("81"); },
                               nullptr,
                               {},
                               [](const TSock& s) { return s.PortName() == "81"; }},
                    SetterCase{"LocalPortWhileConnected",
                               State::ConnectedStream,
                               [](TSock& s) { s.SetLocalPortName("82"); },
                               nullptr,
                               {"Setting LocalPortName While Connected Has No Effect"},
                               [](const TSock& s) { return s.LocalPortName() == "82"; }},
                    SetterCase{"LocalPortWhileIdle",
                               State::Idle,
                               [](TSock& s) { s.SetLocalPortName("82"); },
                               nullptr,
                               {},
                               [](const TSock& s) { return s.LocalPortName() == "82"; }},
                    SetterCase{"HostWhileConnectedStream",
                               State::ConnectedStream,
                               [](TSock& s) { s.SetHostName("example"); },
                               nullptr,
                               {"Setting HostName While Connected Has No Effect"},
                               [](const TSock& s) { return s.HostName() == "example"; }},
                    SetterCase{"HostWhileIdle",
                               State::Idle,
                               [](TSock& s) { s.SetHostName("no.such.host"); },
                               nullptr,
                               {},
                               [](const TSock& s) { return s.HostName() == "no.such.host"; }},
                    SetterCase{"HostWhileConnectedDatagram",
                               State::ConnectedDatagram,
                               [](TSock& s) { s.SetHostName("127.0.0.2"); },
                               nullptr,
                               {"Lookup Of Host 127.0.0.2"},
                               [](const TSock& s) {
                                   return s.HostName() == "127.0.0.2" &&
                                          s.DestAddr().sin_addr == htonl(0x7F000002) &&
                                          s.DestAddr().sin_port == htons(9) &&
                                          s.DestAddr().sin_family == WsAfInet;
                               }},
                    SetterCase{"UnknownHostWhileConnectedDatagram",
                               State::ConnectedDatagram,
                               [](TSock& s) { s.SetHostName(std::string("bad\0host", 8)); },
                               "Host Lookup - Could Not Find Host Entry",
                               {std::string("Lookup Of Host bad\0host", 23)},
                               [](const TSock& s) {
                                   return s.HostName() == std::string("bad\0host", 8) &&
                                          s.DestAddr().sin_addr == 0;
                               }}),
    [](const testing::TestParamInfo<SetterCase>& info) { return info.param.name; });

TEST(SockModel, CloseReportsUnlessListeningAndTellsWhetherASocketWasClosed) {
    TSock idle(nullptr);
    InfoLog log;
    log.Watch(idle);
    EXPECT_FALSE(idle.Close());
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Socket Closed"});

    TSock listener(nullptr);
    listener.SetPortName("0");
    listener.SetListen(true);
    InfoLog listenerLog;
    listenerLog.Watch(listener);
    EXPECT_TRUE(listener.Close());
    EXPECT_TRUE(listenerLog.Texts().empty());
    EXPECT_FALSE(listener.Listen());
    EXPECT_EQ(listener.SocketHandle(), INVALID_SOCKET);
}

TEST(SockModel, DestroyingClosesOnlyWhatIsOpen) {
    StrictMock<MockWinSock> layer;
    ScopedLayer scoped(layer);
    InfoLog log;
    {
        TSock idle(nullptr);
        log.Watch(idle);
    }
    EXPECT_TRUE(log.Texts().empty());

    EXPECT_CALL(layer, WSAAsyncSelect(7, _, WM_SOCK, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE))
        .WillOnce(Return(0));
    EXPECT_CALL(layer, closesocket(7)).WillOnce(Return(0));
    {
        TSock connected(nullptr);
        connected.Attach(7);
        log.Watch(connected);
    }
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Socket Closed"});
}

// Blocking switches the socket between the events of its type and no events at all, after
// which it blocks again.
TEST(SockModel, BlockingChoosesBetweenTheEventsOfTheTypeAndNone) {
    StrictMock<MockWinSock> layer;
    ScopedLayer scoped(layer);
    TSock sock(nullptr);
    sock.SetSocketType(stDatagram);
    testing::InSequence order;
    EXPECT_CALL(layer, WSAAsyncSelect(7, &sock, WM_SOCK, FD_READ)).WillOnce(Return(0));
    EXPECT_CALL(layer, WSAAsyncSelect(7, &sock, WM_SOCK, 0)).WillOnce(Return(0));
    EXPECT_CALL(layer, ioctlsocket(7, WsFionbio, testing::Pointee(0u))).WillOnce(Return(0));
    EXPECT_CALL(layer, closesocket(7)).WillOnce(Return(0));
    sock.Attach(7);
    sock.SetBlocking(true);
}

TEST(SockModel, InfoKindsHaveTheirLabels) {
    const std::vector<std::string> labels(SocketInfoText.begin(), SocketInfoText.end());
    EXPECT_EQ(labels, (std::vector<std::string>{"Lookup", "Connect", "Close", "Listen", "Receive",
                                                "Send", "Accept", "Error"}));
}

} // namespace zintra
