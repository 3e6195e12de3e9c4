#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "dialogs/AboutForm.h"
#include "dialogs/BlankForm.h"
#include "dialogs/CollectionListDialog.h"
#include "dialogs/CollectionUrlForm.h"
#include "dialogs/CustomListUrlDialog.h"
#include "dialogs/OptionsDialog.h"
#include "platform/Application.h"
#include "platform/QtFileChooser.h"
#include "sock/Sock.h"
#include "sock/SockApplication.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace zintra;

// The program's start-up, once for this whole test program: its windows stay with the
// application until the end, as they do in the program.
class ProgramStartUpTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        static QTemporaryDir folder; // no settings file in it
        CreateStartUpForms(
            Application::Instance(),
            [] { return folder.filePath(QStringLiteral("config.ini")).toStdString(); },
            std::make_unique<QtFileChooser>());
    }
};

TEST_F(ProgramStartUpTest, CreatesTheSevenWindowsInOrderOwnedByTheApplication) {
    const std::vector<QWidget*> seven{Form1, Form2, Form3, Form4, Form5, Form6, Form7};
    EXPECT_EQ(Application::Instance().Forms(), seven);
    EXPECT_EQ(Application::Instance().MainForm(), Form1);
    EXPECT_EQ(ApplicationFirstForm(), Form1);
    for (QWidget* form : seven)
        EXPECT_EQ(form->parent(), nullptr) << form->objectName().toStdString();
}

TEST_F(ProgramStartUpTest, NineWindowsExistEachWithItsOwner) {
    ASSERT_NE(Form1->OptionsDialog, nullptr);
    ASSERT_FALSE(CustomListDialog.isNull());
    EXPECT_EQ(Form1->OptionsDialog->parent(), Form1);
    EXPECT_EQ(CustomListDialog->parent(), Form5);
    EXPECT_NE(static_cast<QWidget*>(Form1->OptionsDialog), Form2);
    EXPECT_NE(static_cast<QWidget*>(CustomListDialog), Form6);
    EXPECT_EQ(Form5->Sock1->SocketHandle(), INVALID_SOCKET);
    EXPECT_EQ(Form5->Sock1->PortName(), "80");
}

TEST_F(ProgramStartUpTest, RunShowsTheMainWindowAlone) {
    QWidgetList visible;
    QTimer::singleShot(0, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible())
                visible << window;
        Application::Instance().Terminate();
    });
    EXPECT_EQ(Application::Instance().Run(), 0);
    EXPECT_EQ(visible, QWidgetList{Form1});
    Form1->hide();
}
