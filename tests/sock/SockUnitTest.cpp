#include "sock/SockUnit.h"

#include "sock/HostCache.h"
#include "tests/support/SockTestSupport.h"

#include <gtest/gtest.h>

using testing::_;
using testing::Return;

namespace zintra {

TEST(SockUnit, StartsWinSockOneOneAndEmptiesTheHostCache) {
    testing::StrictMock<MockWinSock> layer;
    ScopedLayer scoped(layer);
    HostCache().Add("stale", 1);
    EXPECT_CALL(layer, WSAStartup(0x0101, _)).WillOnce(Return(0));
    EXPECT_CALL(layer, WSACleanup()).WillOnce(Return(0));
    {
        SockUnit unit([](const std::string&, const std::string&) { ADD_FAILURE(); });
        EXPECT_TRUE(unit.Started());
        EXPECT_EQ(HostCache().Count(), 0);
    }
}

TEST(SockUnit, AFailedStartUpShowsClassAndTextAndStopsNothing) {
    testing::StrictMock<MockWinSock> layer; // no WSACleanup for a unit that never started
    ScopedLayer scoped(layer);
    EXPECT_CALL(layer, WSAStartup(0x0101, _)).WillOnce(Return(10091));
    std::vector<std::string> shown;
    {
        SockUnit unit([&](const std::string& className, const std::string& text) {
            shown = {className, text};
        });
        EXPECT_FALSE(unit.Started());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"ESockException",
                                               "WSAStartup - Could Not Initialize WinSock"}));
}

// What a program's main does: no window is made, the failure goes to standard error in a
// console program, and the program ends with status 1.
TEST(SockUnitDeathTest, AProgramWhoseStartUpFailsEndsWithStatusOne) {
    EXPECT_EXIT(
        {
            testing::NiceMock<MockWinSock> layer;
            testing::Mock::AllowLeak(&layer); // the program ends inside its life
            ScopedLayer scoped(layer);
            ON_CALL(layer, WSAStartup(_, _)).WillByDefault(Return(10091));
            SockUnit unit;
            std::exit(unit.Started() ? 0 : SockUnit::FailureExitStatus);
        },
        testing::ExitedWithCode(1), "ESockException: WSAStartup - Could Not Initialize WinSock");
}

} // namespace zintra
