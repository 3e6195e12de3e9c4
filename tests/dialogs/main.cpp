#include "Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    zintra::Application application(argc, argv);
    application.SetTitle(QStringLiteral("Zintra 1.00"));
    return RUN_ALL_TESTS();
}
