#include "sock/SockStream.h"
#include "tests/support/SockTestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

using testing::_;
using testing::DoAll;
using testing::Invoke;
using testing::NiceMock;
using testing::Return;

namespace zintra {

namespace {

constexpr TSocket Handle = 7;

// A connected component over the scripted layer, and what it reports.
class FakeTransfer : public testing::Test {
protected:
    FakeTransfer() {
        sock_.Attach(Handle);
        log_.Watch(sock_);
    }

    // Scripts one blocking read that yields bytes.
    void ScriptRead(const std::string& bytes) {
        EXPECT_CALL(layer_, select(_, _, nullptr, nullptr, _)).WillOnce(Return(1));
        EXPECT_CALL(layer_, recv(Handle, _, _, 0))
            .WillOnce(Invoke([bytes](TSocket, char* buf, int, int) {
                std::memcpy(buf, bytes.data(), bytes.size());
                return int(bytes.size());
            }));
    }

    // Leaves bytes in InBuffer the way a stream read does: one byte taken, the rest kept.
    void FillInBuffer(const std::string& bytes) {
        const bool wasBlocking = sock_.Blocking();
        sock_.SetBlocking(true);
        ScriptRead("#" + bytes);
        char first;
        ASSERT_EQ(sock_.Stream().Read(&first, 1), 1);
        sock_.SetBlocking(wasBlocking);
        testing::Mock::VerifyAndClearExpectations(&layer_);
        log_.Clear();
    }

    NiceMock<MockWinSock> layer_;
    ScopedLayer scoped_{layer_};
    InfoLog log_;
    std::vector<std::string> sent_;
    TSock sock_{nullptr};
};

auto Record(std::vector<std::string>& sent, int result) {
    return Invoke([&sent, result](TSocket, const char* buf, int len, int) {
        sent.emplace_back(buf, std::size_t(len));
        return result;
    });
}

} // namespace

TEST_F(FakeTransfer, NonBlockingSendKeepsWhatTheSocketDidNotTakeAndSendsItFirst) {
    EXPECT_CALL(layer_, send(Handle, _, _, 0))
        .WillOnce(Record(sent_, 4))
        .WillOnce(Record(sent_, SOCKET_ERROR))
        .WillOnce(Record(sent_, 8));
    ON_CALL(layer_, WSAGetLastError()).WillByDefault(Return(WSAEWOULDBLOCK));
    EXPECT_TRUE(sock_.Send("0123456789"));
    EXPECT_EQ(sock_.OutBuffer().View(), "456789");
    EXPECT_TRUE(sock_.Send(""));
    EXPECT_EQ(sock_.OutBuffer().View(), "456789");
    EXPECT_TRUE(sock_.Send("AB"));
    EXPECT_TRUE(sock_.OutBuffer().Empty());
    EXPECT_EQ(sent_, (std::vector<std::string>{"0123456789", "456789", "456789AB"}));
    EXPECT_EQ(log_.Texts(), std::vector<std::string>(3, "Non-Blocking Outgoing Data"));
}

// Without an info handler the first bytes go out unqueued; what the socket refuses still waits.
TEST_F(FakeTransfer, NonBlockingSendWithoutInfoHandlerQueuesWhatTheSocketDidNotTake) {
    sock_.OnInfo = nullptr;
    EXPECT_CALL(layer_, send(Handle, _, _, 0))
        .WillOnce(Record(sent_, SOCKET_ERROR))
        .WillOnce(Record(sent_, 4))
        .WillOnce(Record(sent_, 2));
    EXPECT_TRUE(sock_.Send("0123"));
    EXPECT_TRUE(sock_.Send(""));
    EXPECT_TRUE(sock_.Send("456789"));
    EXPECT_EQ(sock_.OutBuffer().View(), "6789");
    EXPECT_EQ(sent_, (std::vector<std::string>{"0123", "0123", "456789"}));
}

// A handler that sends during the report must not overtake the bytes being sent.
TEST_F(FakeTransfer, NonBlockingSendFromAnInfoHandlerGoesBehindTheBytesBeforeIt) {
    bool again = true;
    sock_.OnInfo = [&](QObject*, TSocketInfo, std::string) {
        if (std::exchange(again, false)) {
            sock_.Send("XY");
        }
    };
    EXPECT_CALL(layer_, send(Handle, _, _, 0)).WillRepeatedly(Record(sent_, 12));
    EXPECT_TRUE(sock_.Send("0123456789"));
    ASSERT_FALSE(sent_.empty());
    EXPECT_EQ(sent_[0], "0123456789XY");
    sock_.OnInfo = nullptr; // the handler refers to this test's locals
}

TEST_F(FakeTransfer, SendingNothingWithNothingQueuedMakesNoCall) {
    EXPECT_CALL(layer_, send(_, _, _, _)).Times(0);
    EXPECT_TRUE(sock_.Send(""));
    sock_.SetBlocking(true);
    EXPECT_TRUE(sock_.Send(""));
    EXPECT_TRUE(log_.Texts().empty());
}

TEST_F(FakeTransfer, BlockingSendTriesAgainAfterInProgressAndLoopsOverPieces) {
    sock_.SetBlocking(true);
    EXPECT_CALL(layer_, send(Handle, _, _, 0))
        .WillOnce(Record(sent_, SOCKET_ERROR))
        .WillOnce(Record(sent_, 40000))
        .WillOnce(Record(sent_, 40000))
        .WillOnce(Record(sent_, 20000));
    EXPECT_CALL(layer_, WSAGetLastError()).WillOnce(Return(WSAEINPROGRESS));
    EXPECT_TRUE(sock_.Send(AllByteValues(100000)));
    EXPECT_TRUE(sock_.OutBuffer().Empty());
    EXPECT_EQ(log_.Texts(), std::vector<std::string>(4, "Blocking Outgoing Data"));
    ASSERT_EQ(sent_.size(), 4u);
    EXPECT_EQ(sent_[3], AllByteValues(100000).substr(80000));
}

TEST_F(FakeTransfer, BlockingSendFailureKeepsTheUnsentBytes) {
    sock_.SetBlocking(true);
    EXPECT_CALL(layer_, send(Handle, _, _, 0)).WillOnce(Return(4)).WillOnce(Return(SOCKET_ERROR));
    EXPECT_CALL(layer_, WSAGetLastError()).WillOnce(Return(WSAECONNRESET));
    try {
        sock_.Send("0123456789");
        ADD_FAILURE();
    } catch (const ESockException& failure) {
        EXPECT_STREQ(failure.what(), "Send - Socket Error");
    }
    EXPECT_EQ(sock_.OutBuffer().View(), "456789");
    EXPECT_EQ(log_.Texts(),
              (std::vector<std::string>{"Blocking Outgoing Data", "Socket Error On Send"}));
    EXPECT_EQ(log_.Entries().back().first, siError);
}

// A handler that sends again while a blocking send is under way must not overtake the bytes
// that are still waiting.
TEST_F(FakeTransfer, SendFromAnInfoHandlerQueuesBehindTheBytesStillUnsent) {
    sock_.SetBlocking(true);
    bool again = true;
    sock_.OnInfo = [&](QObject*, TSocketInfo, std::string) {
        if (std::exchange(again, false)) {
            sock_.Send("XY");
        }
    };
    EXPECT_CALL(layer_, send(Handle, _, _, 0))
        .WillOnce(Record(sent_, 4))
        .WillOnce(Record(sent_, 6))
        .WillOnce(Record(sent_, 2));
    EXPECT_TRUE(sock_.Send("0123456789"));
    EXPECT_EQ(sent_, (std::vector<std::string>{"0123456789", "456789", "XY"}));
    EXPECT_TRUE(sock_.OutBuffer().Empty());
    sock_.OnInfo = nullptr; // the handler refers to this test's locals
}

struct TakeCase {
    std::int32_t count;
    const char* result;
    const char* left;
};

void PrintTo(const TakeCase& c, std::ostream* os) {
    *os << "count " << c.count;
}

class FakeReceiveCounts : public FakeTransfer, public testing::WithParamInterface<TakeCase> {};

TEST_P(FakeReceiveCounts, NonBlockingReceiveTakesFromTheFrontWithoutASocketCall) {
    FillInBuffer("abcdef");
    EXPECT_CALL(layer_, recv(_, _, _, _)).Times(0);
    EXPECT_CALL(layer_, select(_, _, _, _, _)).Times(0);
    EXPECT_EQ(sock_.Receive(GetParam().count), GetParam().result);
    EXPECT_EQ(sock_.InBuffer().View(), GetParam().left);
}

TEST_P(FakeReceiveCounts, BlockingReceiveWithNothingNewHandsOutAllOrNothing) {
    FillInBuffer("abcdef");
    sock_.SetBlocking(true);
    const bool meaningful = GetParam().count == -1 || GetParam().count > 0;
    if (meaningful) {
        EXPECT_CALL(layer_, select(_, _, _, _, _)).WillOnce(Return(0));
    } else {
        EXPECT_CALL(layer_, select(_, _, _, _, _)).Times(0);
    }
    EXPECT_EQ(sock_.Receive(GetParam().count), meaningful ? "abcdef" : "");
    EXPECT_EQ(sock_.InBuffer().View(), meaningful ? "" : "abcdef");
}

INSTANTIATE_TEST_SUITE_P(Sock, FakeReceiveCounts,
                         testing::Values(TakeCase{3, "abc", "def"}, TakeCase{-1, "abcdef", ""},
                                         TakeCase{6, "abcdef", ""}, TakeCase{100, "abcdef", ""},
                                         TakeCase{0, "", "abcdef"}, TakeCase{-2, "", "abcdef"},
                                         TakeCase{INT32_MIN, "", "abcdef"}));

TEST_F(FakeTransfer, BlockingReceiveReadsAtMostTheReceiveArea) {
    sock_.SetBlocking(true);
    EXPECT_CALL(layer_, select(_, _, nullptr, nullptr, _)).WillOnce(Return(1));
    EXPECT_CALL(layer_, recv(Handle, _, TSock::RecvAreaSize, 0)).WillOnce(Return(5));
    EXPECT_EQ(sock_.Receive(100000).size(), 5u);
}

TEST_F(FakeTransfer, BlockingReceiveWithBytesHeldOnlyPollsForMore) {
    FillInBuffer("abc");
    sock_.SetBlocking(true);
    sock_.SetBlockingTimeout(-1);
    EXPECT_CALL(layer_, select(_, _, nullptr, nullptr, testing::NotNull()))
        .WillOnce(Invoke([](int, FdSet*, FdSet*, FdSet*, const TimeVal* wait) {
            EXPECT_EQ(wait->tv_sec, 0);
            return 0;
        }));
    EXPECT_EQ(sock_.Receive(-1), "abc");
}

TEST_F(FakeTransfer, BlockingReceiveFailureDiscardsHeldBytesAndNamesTheError) {
    FillInBuffer("held");
    sock_.SetBlocking(true);
    EXPECT_CALL(layer_, select(_, _, _, _, _)).WillOnce(Return(1));
    EXPECT_CALL(layer_, recv(Handle, _, _, 0)).WillOnce(Return(SOCKET_ERROR));
    EXPECT_CALL(layer_, WSAGetLastError()).WillOnce(Return(WSAECONNRESET));
    try {
        sock_.Receive(-1);
        ADD_FAILURE();
    } catch (const ESockException& failure) {
        EXPECT_STREQ(failure.what(), "Receive - Socket Error WSAECONNRESET");
    }
    EXPECT_TRUE(sock_.InBuffer().Empty());
    EXPECT_EQ(log_.Texts(),
              (std::vector<std::string>{"Blocking Incoming Data", "Socket Error On Receive"}));
}

TEST_F(FakeTransfer, StreamReadKeepsTheSurplusForTheNextRead) {
    sock_.SetBlocking(true);
    ScriptRead("0123456789");
    char buffer[16] = {};
    EXPECT_EQ(sock_.Stream().Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(sock_.InBuffer().View(), "456789");
    EXPECT_CALL(layer_, select(_, _, _, _, _)).WillRepeatedly(Return(0));
    EXPECT_EQ(sock_.Stream().Read(buffer, 16), 6);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(sock_.Stream().Read(buffer, 16), 0);
}

TEST_F(FakeTransfer, StreamHasNoPositionOrSizeAndWritesThroughSend) {
    EXPECT_EQ(sock_.Stream().Seek(100, soFromBeginning), 0);
    EXPECT_EQ(sock_.Stream().Position(), 0);
    EXPECT_EQ(sock_.Stream().Size(), 0);
    EXPECT_CALL(layer_, send(_, _, _, _)).Times(0);
    EXPECT_EQ(sock_.Stream().Write("", 0), 0);
    EXPECT_CALL(layer_, send(Handle, _, 3, 0)).WillOnce(Return(3));
    EXPECT_EQ(sock_.Stream().Write("abc", 3), 3);
}

// The failures of sending and receiving, each checked before anything else happens.
struct FailureCase {
    const char* name;
    std::function<void(TSock&, MockWinSock&)> prepare;
    std::function<void(TSock&)> act;
    const char* text;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class TransferFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(TransferFailures, RaiseTheirTextAndReportNothing) {
    NiceMock<MockWinSock> layer;
    ScopedLayer scoped(layer);
    TSock sock(nullptr);
    GetParam().prepare(sock, layer);
    InfoLog log;
    log.Watch(sock);
    EXPECT_CALL(layer, send(_, _, _, _)).Times(0);
    EXPECT_CALL(layer, recv(_, _, _, _)).Times(0);
    try {
        GetParam().act(sock);
        ADD_FAILURE() << "no failure";
    } catch (const ESockException& failure) {
        EXPECT_STREQ(failure.what(), GetParam().text);
    }
    EXPECT_TRUE(log.Texts().empty());
    sock.OnInfo = nullptr;
}

namespace {

void Idle(TSock&, MockWinSock&) {}

void Listening(TSock& sock, MockWinSock& layer) {
    ON_CALL(layer, socket(_, _, _)).WillByDefault(Return(5));
    sock.SetPortName("0");
    sock.SetListen(true);
}

void DatagramIdle(TSock& sock, MockWinSock&) {
    sock.SetSocketType(stDatagram);
}

void StreamConnected(TSock& sock, MockWinSock&) {
    sock.Attach(Handle);
}

void SendSome(TSock& sock) {
    sock.Send("x");
}

void ReceiveAll(TSock& sock) {
    sock.Receive(-1);
}

void SendDatagramSome(TSock& sock) {
    sock.SendDatagram("x", "127.0.0.1");
}

void ReceiveDatagramAny(TSock& sock) {
    std::string address;
    sock.ReceiveDatagram(address);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Sock, TransferFailures,
    testing::Values(
        FailureCase{"SendIdle", Idle, SendSome, "Send - Socket Not Connected"},
        FailureCase{"SendListening", Listening, SendSome,
                    "Send - Cannot Send On A Listener Socket"},
        FailureCase{"SendDatagramIdle", DatagramIdle, SendSome, "Send - Socket Not Connected"},
        FailureCase{"ReceiveIdle", Idle, ReceiveAll, "Receive - Socket Not Connected"},
        FailureCase{"ReceiveListening", Listening, ReceiveAll,
                    "Receive - Cannot Receive On A Listener Socket"},
        FailureCase{"SendDatagramNoSocket", DatagramIdle, SendDatagramSome,
                    "SendDatagram - Socket Not Connected"},
        FailureCase{"SendDatagramOnStream", StreamConnected, SendDatagramSome,
                    "SendDatagram - Datagram Send Not Supported On Stream Sockets"},
        FailureCase{"ReceiveDatagramNoSocket", DatagramIdle, ReceiveDatagramAny,
                    "ReceiveDatagram - Socket Not Connected"},
        FailureCase{"ReceiveDatagramOnStream", StreamConnected, ReceiveDatagramAny,
                    "ReceiveDatagram - Datagram Receive Not Supported On Stream Sockets"},
        FailureCase{"StreamReadIdle", Idle,
                    [](TSock& s) {
                        char b;
                        s.Stream().Read(&b, 1);
                    },
                    "Receive - Socket Not Connected"},
        FailureCase{"StreamWriteIdle", Idle, [](TSock& s) { s.Stream().Write("x", 1); },
                    "Send - Socket Not Connected"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

} // namespace zintra
