#include "dialogs/AboutForm.h"
#include "dialogs/HelpForm.h"
#include "platform/StaticText.h"
#include "tests/app/MainWindowTest.h"
#include "tests/support/ModalAnswer.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace zintra;

class ContextMenuTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_EQ(Create(), std::nullopt);
        form_->move(100, 100);
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }
    void TearDown() override { form_->PopupMenu1->hide(); }

    // Where the menu opened, or nothing when it did not.
    std::optional<QPoint> MenuAt() const {
        QMenu* menu = form_->PopupMenu1;
        if (!QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000))
            return std::nullopt;
        return menu->pos();
    }

    void RightClick(QWidget* on, QPoint at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, on->mapToGlobal(at));
        QApplication::sendEvent(on, &event);
    }
};

TEST_F(ContextMenuTest, HoldsTheSevenItems) {
    QStringList captions;
    for (const QAction* item : form_->PopupMenu1->actions())
        captions << (item->isSeparator() ? "-" : item->text());
    EXPECT_EQ(captions, (QStringList{"&Change Source...", "From the &Web...", "&Options...",
                                     "&Help...", "&About...", "-", "E&xit"}));
    for (const QAction* item : form_->PopupMenu1->actions())
        EXPECT_TRUE(item->shortcut().isEmpty());
}

TEST_F(ContextMenuTest, ARightClickOnTheBarOpensItAtThePointer) {
    RightClick(form_->StaticText1, {40, 7});
    EXPECT_EQ(MenuAt(), form_->StaticText1->mapToGlobal(QPoint(40, 7)));
}

TEST_F(ContextMenuTest, ARightClickOnTheStripBesideTheBarOpensIt) {
    RightClick(form_.get(), {369, 10});
    EXPECT_EQ(MenuAt(), form_->mapToGlobal(QPoint(369, 10)));
}

TEST_F(ContextMenuTest, TheMenuKeyOpensItAtTheClientAreasCorner) {
    QContextMenuEvent event(QContextMenuEvent::Keyboard, {200, 30},
                            form_->mapToGlobal(QPoint(200, 30)));
    QApplication::sendEvent(form_.get(), &event);
    EXPECT_EQ(MenuAt(), form_->mapToGlobal(QPoint(0, 0)));
}

TEST_F(ContextMenuTest, ShiftF10OpensItAtTheClientAreasCorner) {
    QTest::keyClick(form_.get(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(MenuAt(), form_->mapToGlobal(QPoint(0, 0)));
}

TEST_F(ContextMenuTest, HelpOpensOneHelpWindowThatLeavesTheBarWorking) {
    for (int time = 1; time <= 2; ++time) {
        RightClick(form_->StaticText1, {5, 5});
        ASSERT_TRUE(MenuAt());
        QTest::keyClick(form_->PopupMenu1, Qt::Key_H);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return form_->HelpForm != nullptr && form_->HelpForm->isVisible(); }, 2000));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_FALSE(form_->HelpForm->frameGeometry().intersects(form_->frameGeometry()));
        form_->HelpForm->hide(); // the second time raises the same window again
    }
    EXPECT_EQ(form_->findChildren<QWidget*>("HelpForm").size(), 1);
}

TEST_F(ContextMenuTest, AboutShowsTheAboutWindowUntilItsOk) {
    TForm4 about;
    Form4 = &about;
    QWidget* shown = nullptr;
    ModalAnswer answer([&](QWidget* window) {
        shown = window;
        QTest::mouseClick(about.Button1, Qt::LeftButton);
    });
    RightClick(form_->StaticText1, {5, 5});
    EXPECT_TRUE(MenuAt());
    QTest::keyClick(form_->PopupMenu1, Qt::Key_A);
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer.Answered(); }, 2000));
    EXPECT_EQ(shown, &about);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !about.isVisible(); }, 2000));
    Form4 = nullptr;
}

TEST_F(ContextMenuTest, AccessKeysChooseTheCommands) {
    answers_.push_back(std::nullopt);
    RightClick(form_->StaticText1, {5, 5});
    ASSERT_TRUE(MenuAt());
    QTest::keyClick(form_->PopupMenu1, Qt::Key_C);
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked_.size() == 1; }, 2000));
}
