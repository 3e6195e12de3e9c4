#include "platform/OpenDialog.h"
#include "platform/QtFileChooser.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/ScriptedChooser.h"

#include <QComboBox>
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
                                  const std::function<void(QDialog*)>& work) {
        ModalAnswer answer([&](QWidget* window) {
            auto* dialog = qobject_cast<QDialog*>(window);
            ASSERT_NE(dialog, nullptr);
            work(dialog);
            // A chooser the work left open fails the test instead of waiting forever.
            if (dialog->isVisible()) {
                dialog->reject();
            }
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

    QTemporaryDir folder_;
};

TEST_F(QtFileChooserTest, ShowsItsTitleAndFilterAndPreselectsTheFileChosenLast) {
    const auto chosen = Choose(Existing(), [&](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Select Zintra Source File");
        EXPECT_EQ(dialog->findChild<QComboBox*>("fileTypeCombo")->currentText(),
                  "Zintra Source Files (*.zin)");
        EXPECT_TRUE(QTest::qWaitFor([&] { return Name(dialog)->text() == "quotes.zin"; }, 2000));
        QTest::keyClick(Name(dialog), Qt::Key_Return);
    });
    EXPECT_EQ(chosen, Existing());
}

TEST_F(QtFileChooserTest, EscapeCancels) {
    const auto chosen =
        Choose("", [](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    EXPECT_FALSE(chosen);
}
