#include "app/StartUp.h"
#include "core/SettingsPath.h"
#include "platform/Application.h"
#include "platform/QtFileChooser.h"
#include "sock/SockApplication.h"
#include "sock/SockUnit.h"

#include <cstring>
#include <iostream>
#include <memory>

int main(int argc, char* argv[]) {
    using namespace zintra;
    // The one option: where the settings live differs between a copy and an installed program.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << "Usage: zintra [--help]\n"
                     "Scrolls a collection of quotations or jokes through a narrow window.\n"
                     "Right-click the window for its menu.\n\n"
                     "Settings: "
                  << SettingsFilePath() << "\n";
        return 0;
    }
    // WinSock starts before the program's own steps and stops after its windows are gone.
    SockUnit sockUnit([&](const std::string& className, const std::string& text) {
        ShowStartUpFailure(argc, argv, className, text);
    });
    if (!sockUnit.Started()) {
        return SockUnit::FailureExitStatus;
    }

    Application application(argc, argv);
    application.SetTitle(QStringLiteral("Zintra 1.00"));
    // Failures inside socket notifications reach the same error box as every other failure.
    SetNotificationFailureView(
        [&application](const std::exception& failure) { application.ShowException(failure); });
    CreateStartUpForms(application, SettingsFilePath, std::make_unique<QtFileChooser>());
    return application.Run();
}
