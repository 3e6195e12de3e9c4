#include "platform/OpenDialog.h"
#include "platform/PathText.h"
#include "platform/QtFileChooser.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/ScriptedChooser.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <fstream>
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
                                  const std::function<void(QDialog*)>& work) {
        ModalAnswer answer([&](QWidget* window) {
            auto* dialog = qobject_cast<QDialog*>(window);
            ASSERT_NE(dialog, nullptr);
            work(dialog);
        });
        QtFileChooser chooser;
        auto chosen = chooser.Choose(
            nullptr, {"Select Zintra Source File", "Zintra Source Files (*.zin)", preselected});
        EXPECT_TRUE(answer.Answered());
        return chosen;
    }

    static QLineEdit* Name(QDialog* dialog) {
        return dialog->findChild<QLineEdit*>("fileNameEdit");
    }
    static QListWidget* List(QDialog* dialog) {
        return dialog->findChild<QListWidget*>("fileList");
    }
    static QString Listed(QDialog* dialog) {
        QStringList names;
        for (int i = 0; i < List(dialog)->count(); ++i)
            names << List(dialog)->item(i)->text();
        return names.join(' ');
    }

    static void Type(QDialog* dialog, const QString& path) {
        Name(dialog)->clear();
        QTest::keyClicks(Name(dialog), path);
        QTest::keyClick(Name(dialog), Qt::Key_Return);
    }

    QTemporaryDir folder_;
};

TEST_F(QtFileChooserTest, ShowsItsTitleAndFilterAndReturnsATypedPath) {
    const auto chosen = Choose("", [&](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Select Zintra Source File");
        EXPECT_EQ(dialog->findChild<QComboBox*>("fileTypeCombo")->currentText(),
                  "Zintra Source Files (*.zin)");
        EXPECT_TRUE(dialog->isSizeGripEnabled());
        Type(dialog, Existing());
    });
    EXPECT_EQ(chosen, Existing());
}

TEST_F(QtFileChooserTest, ListsTheFolderOfThePreselectedFileByItsNamesAsBytes) {
    const std::string odd = folder_.path().toStdString() + "/sub/caf\xE9.zin";
    ASSERT_TRUE(QDir(folder_.path()).mkdir("sub"));
    std::ofstream(odd) << "T\n";
    std::ofstream(folder_.filePath("notes.txt").toStdString()) << "T\n";
    const auto chosen = Choose(Existing(), [&](QDialog* dialog) {
        EXPECT_EQ(Listed(dialog), "../ sub/ quotes.zin");
        EXPECT_EQ(Name(dialog)->text(), "quotes.zin");
        List(dialog)->setCurrentRow(1);
        QTest::keyClick(List(dialog), Qt::Key_Return); // enters the folder
        EXPECT_EQ(Listed(dialog), QString::fromUtf8("../ caf\u00e9.zin"));
        List(dialog)->setCurrentRow(1);
        QTest::keyClick(Name(dialog), Qt::Key_Return);
    });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(PathBytes(*chosen), odd);
}

TEST_F(QtFileChooserTest, EscapeCancels) {
    const auto chosen =
        Choose("", [](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    EXPECT_FALSE(chosen);
}

TEST_F(QtFileChooserTest, RefusesAFileThatDoesNotExist) {
    const auto chosen = Choose("", [&](QDialog* dialog) {
        ShownBox refusal;
        ModalAnswer refuse(RecordAndPressOk(refusal));
        Type(dialog, folder_.filePath("missing.zin"));
        EXPECT_TRUE(refuse.Answered());
        EXPECT_TRUE(refusal.text.contains("File not found"));
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(chosen);
}
