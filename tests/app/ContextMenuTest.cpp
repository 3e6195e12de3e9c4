#include "MainWindowTest.h"
#include "StaticText.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
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

TEST_F(ContextMenuTest, HoldsTheSixItems) {
    QStringList captions;
    for (const QAction* item : form_->PopupMenu1->actions())
        captions << (item->isSeparator() ? "-" : item->text());
    EXPECT_EQ(captions, (QStringList{"&Change Source...", "&Options...", "&Help...", "&About...",
                                     "-", "E&xit"}));
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

TEST_F(ContextMenuTest, HelpAndAboutOnlyCloseTheMenu) {
    for (Qt::Key accessKey : {Qt::Key_H, Qt::Key_A}) {
        RightClick(form_->StaticText1, {5, 5});
        ASSERT_TRUE(MenuAt());
        QTest::keyClick(form_->PopupMenu1, accessKey);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !form_->PopupMenu1->isVisible(); }, 2000));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST_F(ContextMenuTest, AccessKeysChooseTheCommands) {
    answers_.push_back(std::nullopt);
    RightClick(form_->StaticText1, {5, 5});
    ASSERT_TRUE(MenuAt());
    QTest::keyClick(form_->PopupMenu1, Qt::Key_C);
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked_.size() == 1; }, 2000));
}
