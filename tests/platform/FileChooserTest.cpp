#include "platform/OpenDialog.h"
#include "platform/QtFileChooser.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/ScriptedChooser.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>
#include <vector>

using namespace zintra;

TEST(OpenDialogTest, PreselectsThePathConfirmedLast) {
    std::deque<std::optional<QString>> answers{"/a/one.zin", std::nullopt, "/b/two.zin"};
    std::vector<FileRequest> asked;
    OpenDialog dialog("Pick", "Lists (*.zin)", std::make_unique<ScriptedChooser>(answers, asked));
    EXPECT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.FileName(), "/a/one.zin");
    EXPECT_FALSE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.FileName(), "/a/one.zin");
    EXPECT_TRUE(dialog.Execute(nullptr));

    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].fileName, "");
    EXPECT_EQ(asked[1].fileName, "/a/one.zin");
    EXPECT_EQ(asked[2].fileName, "/a/one.zin");
    EXPECT_EQ(asked[0].title, "Pick");
    EXPECT_EQ(asked[0].filter, "Lists (*.zin)");
}

class QtFileChooserTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        QFile file(Existing());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QString Existing() const { return folder_.filePath("quotes.zin"); }

    // Shows the real chooser and runs `work` on it once it is open.
    std::optional<QString> Choose(const QString& preselected,
                                  const std::function<void(QFileDialog*)>& work) {
        ModalAnswer answer([&](QWidget* window) {
            auto* dialog = qobject_cast<QFileDialog*>(window);
            ASSERT_NE(dialog, nullptr);
            work(dialog);
        });
        QtFileChooser chooser;
        auto chosen = chooser.Choose(
            nullptr, {"Select Zintra Source File", "Zintra Source Files (*.zin)", preselected});
        EXPECT_TRUE(answer.Answered());
        return chosen;
    }

    static void Type(QFileDialog* dialog, const QString& path) {
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        // Set rather than typed key by key, which would open the completer's popup.
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    }

    QTemporaryDir folder_;
};

TEST_F(QtFileChooserTest, ShowsItsTitleAndFilterAndReturnsATypedPath) {
    const auto chosen = Choose("", [&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Select Zintra Source File");
        EXPECT_EQ(dialog->nameFilters(), QStringList{"Zintra Source Files (*.zin)"});
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_TRUE(dialog->isSizeGripEnabled());
        Type(dialog, Existing());
    });
    EXPECT_EQ(chosen, Existing());
}

TEST_F(QtFileChooserTest, OpensWithThePreselectedFile) {
    const auto chosen = Choose(Existing(), [&](QFileDialog* dialog) {
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(folder_.path()).canonicalPath());
        EXPECT_EQ(dialog->findChild<QLineEdit*>("fileNameEdit")->text(), "quotes.zin");
        QTest::keyClick(dialog->findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return);
    });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(QFileInfo(*chosen).canonicalFilePath(), QFileInfo(Existing()).canonicalFilePath());
}

TEST_F(QtFileChooserTest, EscapeCancels) {
    const auto chosen =
        Choose("", [](QFileDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    EXPECT_FALSE(chosen);
}

TEST_F(QtFileChooserTest, RefusesAFileThatDoesNotExist) {
    const auto chosen = Choose("", [&](QFileDialog* dialog) {
        ShownBox refusal;
        ModalAnswer refuse(RecordAndPressOk(refusal));
        Type(dialog, folder_.filePath("missing.zin"));
        EXPECT_TRUE(refuse.Answered());
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(chosen);
}
