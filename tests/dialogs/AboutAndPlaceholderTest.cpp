#include "dialogs/AboutForm.h"
#include "dialogs/BlankForm.h"
#include "dialogs/CollectionUrlForm.h"
#include "tests/support/ModalAnswer.h"

#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>
#include <memory>

namespace zintra {
namespace {

struct SizeableWindow {
    const char* name;
    const char* caption;
    std::function<std::unique_ptr<QWidget>()> make;
    // The client area inside the outer size of the description, less a 4-pixel border all
    // round and a 19-pixel title bar.
    QSize clientSize;
};

class SizeableWindows : public testing::TestWithParam<SizeableWindow> {};

TEST_P(SizeableWindows, HaveTheirCaptionSizeAndPlace) {
    const auto window = GetParam().make();
    EXPECT_EQ(window->windowTitle(), GetParam().caption);
    EXPECT_EQ(window->size(), GetParam().clientSize);
    EXPECT_EQ(window->pos(), QPoint(192, 121));
    EXPECT_TRUE(window->windowFlags() & Qt::Window);
    EXPECT_NE(window->minimumSize(), window->maximumSize()); // resizable
    EXPECT_FALSE(window->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Windows, SizeableWindows,
    testing::Values(
        SizeableWindow{"Form3", "Form3", [] { return std::make_unique<TForm3>(); }, {406, 269}},
        SizeableWindow{
            "Form4", "About Zintra", [] { return std::make_unique<TForm4>(); }, {185, 243}},
        SizeableWindow{"Form7", "Form7", [] { return std::make_unique<TForm7>(); }, {292, 89}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AboutWindow, ShowsNameVersionAndPurposeReadOnly) {
    TForm4 about;
    const QString text = about.RichEdit1->toPlainText();
    EXPECT_TRUE(text.startsWith("Zintra\n"));
    EXPECT_TRUE(text.contains("Version 1.00"));
    EXPECT_TRUE(text.contains("ticker"));
    EXPECT_FALSE(text.contains("RichEdit1"));
    EXPECT_TRUE(about.RichEdit1->isReadOnly());
    EXPECT_EQ(about.RichEdit1->geometry(), QRect(0, 0, 185, 201));
    EXPECT_EQ(about.Button1->geometry(), QRect(55, 208, 75, 25));
    EXPECT_EQ(about.Button1->text(), "&OK");
    EXPECT_TRUE(about.Button1->isDefault());
}

TEST(AboutWindow, TypingChangesNothing) {
    TForm4 about;
    const QString before = about.RichEdit1->toPlainText();
    about.show();
    QTest::keyClicks(about.RichEdit1, "xyz");
    EXPECT_EQ(about.RichEdit1->toPlainText(), before);
    EXPECT_TRUE(about.isVisible());
}

TEST(AboutWindow, EnterInTheTextClosesItWithResultOk) {
    TForm4 about;
    ModalAnswer answer([&](QWidget*) { QTest::keyClick(about.RichEdit1, Qt::Key_Return); });
    EXPECT_EQ(about.ShowModal(), mrOk);
    EXPECT_FALSE(about.isVisible());
}

TEST(AboutWindow, OkClosesItWithResultOk) {
    TForm4 about;
    ModalAnswer answer([&](QWidget*) { QTest::mouseClick(about.Button1, Qt::LeftButton); });
    EXPECT_EQ(about.ShowModal(), mrOk);
    EXPECT_FALSE(about.isVisible());
}

TEST(AboutWindow, EscapeClosesIt) {
    TForm4 about;
    ModalAnswer answer([&](QWidget*) { QTest::keyClick(&about, Qt::Key_Escape); });
    EXPECT_EQ(about.ShowModal(), mrCancel);
    EXPECT_FALSE(about.isVisible());
}

} // namespace
} // namespace zintra
