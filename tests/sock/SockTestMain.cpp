#include "sock/SockUnit.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

// The socket tests are a console program, as the component promises to support.
int main(int argc, char** argv) {
    using namespace zintra;
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    SockUnit unit;
    if (!unit.Started()) {
        return SockUnit::FailureExitStatus;
    }
    return RUN_ALL_TESTS();
}
