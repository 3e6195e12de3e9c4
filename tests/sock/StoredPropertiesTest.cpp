#include "tests/support/SockTestSupport.h"

#include <gtest/gtest.h>

namespace zintra {

namespace {

// What the collection-list dialog stores for its component.
StoredProperties Sock1Stored() {
    return {{"Left", 88},
            {"Top", 232},
            {"Width", 28},
            {"Height", 28},
            {"SocketType", QStringLiteral("stStream")},
            {"PortName", QStringLiteral("80")},
            {"LocalPortName", QStringLiteral("-1")},
            {"Blocking", false},
            {"AutoAccept", false},
            {"Listen", false},
            {"LineBreak", QStringLiteral("lbSmart")},
            {"BlockingTimeout", 0}};
}

template <typename Failure> std::string FailureText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return "no failure";
}

} // namespace

TEST(StoredProperties, SetUpAComponentAsItsFormStoredIt) {
    QObject form;
    TSock sock(&form);
    sock.setObjectName("Sock1");
    ReadComponents(std::vector<StoredComponent>{{&sock, Sock1Stored()}});
    EXPECT_EQ(sock.PortName(), "80");
    EXPECT_EQ(sock.Left(), 88);
    EXPECT_EQ(sock.Top(), 232);
    EXPECT_FALSE(sock.Visible());
    EXPECT_EQ(sock.SocketHandle(), INVALID_SOCKET);
    EXPECT_FALSE(sock.ComponentState().Reading);
}

// Stored values go through the setters while the reading flag is set, in stored order; only
// AfterLoad, once the whole form is read, acts on Listen.
TEST(StoredProperties, ListenStoredTrueStartsOnlyAfterTheWholeFormIsRead) {
    TSock first(nullptr), second(nullptr);
    bool secondReadWhenFirstListened = false;
    first.OnInfo = [&](QObject*, TSocketInfo, std::string text) {
        if (text == "Listening Started") {
            secondReadWhenFirstListened = second.PortName() == "late";
        }
    };
    ReadComponents(std::vector<StoredComponent>{
        {&first, {{"Listen", true}, {"PortName", QStringLiteral("0")}, {"Blocking", true}}},
        {&second, {{"PortName", QStringLiteral("late")}}}});
    EXPECT_TRUE(first.Listen());
    EXPECT_TRUE(first.Blocking());
    EXPECT_NE(first.SocketHandle(), INVALID_SOCKET);
    EXPECT_TRUE(secondReadWhenFirstListened);
}

TEST(StoredProperties, AFailureAfterLoadingReachesTheFormWithReadingCleared) {
    TSock sock(nullptr);
    const std::string text = FailureText<ESockException>([&] {
        ReadComponents(std::vector<StoredComponent>{
            {&sock, {{"SocketType", QStringLiteral("stDatagram")}, {"Listen", true}}}});
    });
    EXPECT_EQ(text, "Listen - Cannot Listen On A Datagram Socket");
    EXPECT_FALSE(sock.Listen());
    EXPECT_FALSE(sock.ComponentState().Reading);
}

TEST(StoredProperties, StrangeNamesAndValuesAreRefusedByName) {
    const std::pair<StoredProperty, std::string> cases[] = {
        {{"Colour", 3}, "Property Colour does not exist"},
        {{"Blocking", 1}, "Invalid property value: Blocking"},
        {{"SocketType", QStringLiteral("stRaw")}, "Invalid property value: SocketType"},
        {{"LineBreak", 4}, "Invalid property value: LineBreak"},
        {{"BlockingTimeout", QStringLiteral("5")}, "Invalid property value: BlockingTimeout"},
        {{"BlockingTimeout", qlonglong(1) << 40}, "Invalid property value: BlockingTimeout"},
        {{"PortName", 80}, "Invalid property value: PortName"},
    };
    for (const auto& [property, expected] : cases) {
        TSock sock(nullptr);
        const std::vector<StoredComponent> form{{&sock, {property}}};
        EXPECT_EQ(FailureText<EReadError>([&form] { ReadComponents(form); }), expected);
        EXPECT_FALSE(sock.ComponentState().Reading);
    }
}

TEST(StoredProperties, EnumerationsMayBeStoredByOrdinal) {
    TSock sock(nullptr);
    ReadComponents(std::vector<StoredComponent>{{&sock, {{"SocketType", 1}, {"LineBreak", 2}}}});
    EXPECT_EQ(sock.SocketType(), stDatagram);
    EXPECT_EQ(sock.LineBreak(), lbLF);
}

} // namespace zintra
