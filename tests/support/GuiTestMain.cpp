#include "platform/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Window tests never need a display, not even when ctest lists them.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    zintra::Application application(argc, argv);
    application.SetTitle(QStringLiteral("Zintra 1.00"));
    return RUN_ALL_TESTS();
}
