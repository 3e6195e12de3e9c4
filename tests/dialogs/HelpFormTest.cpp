#include "dialogs/HelpForm.h"

#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace zintra {
namespace {

TEST(HelpWindow, ExplainsCollectionsAndCommands) {
    QWidget owner;
    THelpForm help(&owner);
    const QString text = help.RichEdit1->toPlainText();
    EXPECT_EQ(help.windowTitle(), "Zintra Help");
    for (const char* phrase :
         {"Change Source...", "Options...", ".zin", "title", "entries", "last line", "@@*DIV",
          "@@*NORANDOM", "first empty line ends the collection", "Slow", "Fast"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(phrase))) << phrase;
    EXPECT_TRUE(help.RichEdit1->isReadOnly());
}

TEST(HelpWindow, IsNotModalAndComesBackToTheFront) {
    QWidget owner;
    owner.show();
    THelpForm help(&owner);
    help.Present();
    EXPECT_TRUE(help.isVisible());
    EXPECT_FALSE(help.isModal());
    EXPECT_TRUE(owner.isEnabled());

    QTest::mouseClick(help.Button1, Qt::LeftButton);
    EXPECT_FALSE(help.isVisible());

    help.Present();
    EXPECT_TRUE(help.isVisible());
    QTest::keyClick(&help, Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
}

} // namespace
} // namespace zintra
