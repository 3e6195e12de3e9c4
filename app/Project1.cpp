#include "Application.h"
#include "QtFileChooser.h"
#include "SettingsFile.h"
#include "Unit1.h"
#include "Unit2.h"

#include <memory>

int main(int argc, char* argv[]) {
    using namespace zintra;
    Application application(argc, argv);

    application.SetTitle(QStringLiteral("Zintra 1.00"));

    // The start-up windows, in this order; the first is the main window.
    TForm1* Form1 = nullptr;
    TForm2* Form2 = nullptr;
    application.CreateForm(Form1, SettingsFilePath, std::make_unique<QtFileChooser>());
    application.CreateForm(Form2);

    return application.Run();
}
