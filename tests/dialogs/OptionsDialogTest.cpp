#include "dialogs/OptionsDialog.h"

#include "tests/support/ModalAnswer.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace zintra;

TEST(TForm2Test, WindowIsAFixedDialogWithCloseBoxOnly) {
    TForm2 form;
    EXPECT_EQ(form.windowTitle(), "Zintra Options");
    EXPECT_EQ(form.minimumSize(), QSize(265, 113));
    EXPECT_EQ(form.maximumSize(), QSize(265, 113));
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

TEST(TForm2Test, ControlsStandWhereTheWindowDescriptionPutsThem) {
    TForm2 form;
    struct Expected {
        QWidget* control;
        QRect bounds;
        QString caption;
    };
    for (const Expected& e : {Expected{form.Label1, {40, 8, 93, 13}, "Messagebar speed:"},
                              Expected{form.Label2, {8, 40, 23, 13}, "Slow"},
                              Expected{form.Label3, {232, 40, 20, 13}, "Fast"},
                              Expected{form.TrackBar1, {48, 32, 169, 40}, ""},
                              Expected{form.Button1, {104, 80, 75, 25}, "&OK"},
                              Expected{form.Button2, {184, 80, 75, 25}, "&Cancel"}}) {
        SCOPED_TRACE(e.control->objectName().toStdString());
        const QRect at = e.control->geometry();
        EXPECT_EQ(at.topLeft(), e.bounds.topLeft());
        EXPECT_EQ(at.height(), e.bounds.height());
        // Labels may grow to their text in a wider substitute font, never shrink.
        EXPECT_GE(at.width(), e.bounds.width());
        EXPECT_LE(at.right(), 265);
        if (auto* label = qobject_cast<QLabel*>(e.control)) {
            EXPECT_EQ(label->text(), e.caption);
        }
        if (auto* button = qobject_cast<QPushButton*>(e.control)) {
            EXPECT_EQ(button->text(), e.caption);
        }
    }
    EXPECT_EQ(form.TrackBar1->width(), 169);
    EXPECT_EQ(form.Button1->width(), 75);
}

TEST(TForm2Test, SliderRunsFrom50To350WithTicksEvery100Below) {
    TForm2 form;
    QSlider& slider = *form.TrackBar1;
    EXPECT_EQ(slider.orientation(), Qt::Horizontal);
    EXPECT_EQ(slider.minimum(), 50);
    EXPECT_EQ(slider.maximum(), 350);
    EXPECT_EQ(slider.value(), 50);
    EXPECT_EQ(slider.tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(slider.tickInterval(), 100);

    for (Qt::Key key : {Qt::Key_Right, Qt::Key_PageUp}) {
        const int before = slider.value();
        QTest::keyClick(&slider, key);
        EXPECT_EQ(slider.value(), before + 1);
    }
    slider.setValue(1000);
    EXPECT_EQ(slider.value(), 350);
}

TEST(TForm2Test, TabOrderRunsSliderOkCancel) {
    TForm2 form;
    EXPECT_EQ(form.TrackBar1->nextInFocusChain(), form.Button1);
    EXPECT_EQ(form.Button1->nextInFocusChain(), form.Button2);
    EXPECT_TRUE(form.Button1->isDefault());
    EXPECT_EQ(form.focusWidget(), form.TrackBar1);
}

struct CloseCase {
    const char* how;
    std::function<void(TForm2&)> close;
    int result;
};

class TForm2CloseTest : public testing::TestWithParam<CloseCase> {};

TEST_P(TForm2CloseTest, ReportsHowItWasClosed) {
    TForm2 form;
    ModalAnswer answer([&](QWidget*) { GetParam().close(form); });
    EXPECT_EQ(form.ShowModal(), GetParam().result);
    EXPECT_TRUE(answer.Answered());
    EXPECT_FALSE(form.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, TForm2CloseTest,
    testing::Values(
        CloseCase{"OK", [](TForm2& f) { f.Button1->click(); }, mrOk},
        CloseCase{"Enter", [](TForm2& f) { QTest::keyClick(f.TrackBar1, Qt::Key_Return); }, mrOk},
        CloseCase{"AltO", [](TForm2& f) { QTest::keyClick(&f, Qt::Key_O, Qt::AltModifier); }, mrOk},
        CloseCase{"Cancel", [](TForm2& f) { f.Button2->click(); }, mrCancel},
        CloseCase{"Escape", [](TForm2& f) { QTest::keyClick(f.TrackBar1, Qt::Key_Escape); },
                  mrCancel},
        CloseCase{"CloseBox", [](TForm2& f) { f.close(); }, mrCancel}),
    [](const testing::TestParamInfo<CloseCase>& info) { return info.param.how; });
