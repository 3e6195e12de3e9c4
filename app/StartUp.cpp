#include "app/StartUp.h"

#include "app/MainWindow.h"
#include "dialogs/AboutForm.h"
#include "dialogs/BlankForm.h"
#include "dialogs/CollectionListDialog.h"
#include "dialogs/CollectionUrlForm.h"
#include "dialogs/CustomListUrlDialog.h"
#include "dialogs/OptionsDialog.h"
#include "platform/Application.h"
#include "sock/SockApplication.h"

namespace zintra {

void CreateStartUpForms(Application& application, std::function<std::string()> settingsPath,
                        std::unique_ptr<FileChooser> chooser) {
    application.CreateForm(Form1, std::move(settingsPath), std::move(chooser));
    // Accepted connections without a parent of their own are given to the main window.
    SetApplicationFirstForm(Form1);
    application.CreateForm(Form2);
    application.CreateForm(Form3);
    application.CreateForm(Form4);
    application.CreateForm(Form5);
    application.CreateForm(Form6);
    application.CreateForm(Form7);
}

void ShowStartUpFailure(int& argc, char** argv, const std::string& className,
                        const std::string& text) {
    // The application object does not exist yet; the box needs one of its own.
    QApplication qt(argc, argv);
    ShowErrorBox(QString::fromStdString(className), QString::fromStdString(text));
}

} // namespace zintra
