#include "app/StartUp.h"
#include "core/SettingsFile.h"
#include "platform/Application.h"
#include "platform/QtFileChooser.h"
#include "sock/SockApplication.h"
#include "sock/SockUnit.h"

#include <memory>

int main(int argc, char* argv[]) {
    using namespace zintra;
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
