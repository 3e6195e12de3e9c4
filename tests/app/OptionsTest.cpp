#include "base/Exceptions.h"
#include "dialogs/OptionsDialog.h"
#include "platform/Timer.h"
#include "tests/app/MainWindowTest.h"
#include "tests/support/ModalAnswer.h"

#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <cerrno>
#include <unistd.h>

using namespace zintra;

class OptionsTest : public MainWindowTest {
protected:
    // Starts with `interval` as the settings file's second line.
    void StartWith(const std::string& interval) {
        WriteFile("config.ini", SettingsText(" : ", interval, collection_));
        ASSERT_EQ(Create(), std::nullopt);
    }

    // Runs "&Options..." and works the dialog with `work` once it shows; gives the slider's
    // position as the dialog opened, and whether the timer was off meanwhile.
    struct Shown {
        int position = -1;
        bool timerOff = false;
    };
    Shown Options(const std::function<void(TForm2&)>& work) {
        Shown shown;
        ModalAnswer answer([&](QWidget*) {
            shown.position = form_->OptionsDialog->TrackBar1->value();
            shown.timerOff = !form_->Timer1->Enabled();
            work(*form_->OptionsDialog);
        });
        form_->Options1Click();
        EXPECT_TRUE(answer.Answered());
        return shown;
    }

    static void Cancel(TForm2& dialog) { dialog.Button2->click(); }
    static void Slowest(TForm2& dialog) {
        dialog.TrackBar1->setValue(50);
        dialog.Button1->click();
    }
};

struct OpenCase {
    const char* interval;
    int position;
};

class OptionsOpenTest : public OptionsTest, public testing::WithParamInterface<OpenCase> {};

TEST_P(OptionsOpenTest, TheSliderStandsForTheInterval) {
    StartWith(GetParam().interval);
    const Shown shown = Options(Cancel);
    EXPECT_EQ(shown.position, GetParam().position);
    EXPECT_TRUE(shown.timerOff);
}

INSTANTIATE_TEST_SUITE_P(Intervals, OptionsOpenTest,
                         testing::Values(OpenCase{"110", 241}, OpenCase{"301", 50},
                                         OpenCase{"500", 50}, OpenCase{"1", 350},
                                         OpenCase{"0", 350}, OpenCase{"-7", 350},
                                         OpenCase{"$FA", 101}, OpenCase{"2147483647", 50},
                                         OpenCase{"-2147483648", 350}));

struct OkCase {
    const char* interval;
    int moveTo; // 0: leave the slider where it opened
    const char* stored;
};

class OptionsOkTest : public OptionsTest, public testing::WithParamInterface<OkCase> {};

TEST_P(OptionsOkTest, OkStoresTheIntervalAndRestartsTheTimer) {
    StartWith(GetParam().interval);
    Options([](TForm2& dialog) {
        if (GetParam().moveTo != 0)
            dialog.TrackBar1->setValue(GetParam().moveTo);
        dialog.Button1->click();
    });
    EXPECT_EQ(form_->Settings.Get(1), GetParam().stored);
    EXPECT_EQ(form_->Timer1->Interval(), std::stoi(GetParam().stored));
    EXPECT_TRUE(form_->Timer1->Enabled());
    // Only the next "&Change Source..." writes the new interval.
    EXPECT_EQ(ReadFile("config.ini"), SettingsText(" : ", GetParam().interval, collection_));
}

INSTANTIATE_TEST_SUITE_P(Positions, OptionsOkTest,
                         testing::Values(OkCase{"110", 0, "110"}, OkCase{"110", 50, "301"},
                                         OkCase{"110", 350, "1"}, OkCase{"500", 0, "301"},
                                         OkCase{"0", 0, "1"}, OkCase{" $6E", 0, "110"}));

class OptionsCancelTest : public OptionsTest,
                          public testing::WithParamInterface<std::function<void(TForm2&)>> {};

TEST_P(OptionsCancelTest, LeavesTheIntervalAndRestartsTheTimer) {
    StartWith(" 250");
    Options([](TForm2& dialog) {
        dialog.TrackBar1->setValue(300);
        GetParam()(dialog);
    });
    EXPECT_EQ(form_->Settings.Get(1), " 250");
    EXPECT_EQ(form_->Timer1->Interval(), 250);
    EXPECT_TRUE(form_->Timer1->Enabled());
}

INSTANTIATE_TEST_SUITE_P(Ways, OptionsCancelTest,
                         testing::Values([](TForm2& dialog) { dialog.Button2->click(); },
                                         [](TForm2& dialog) {
                                             QTest::keyClick(dialog.TrackBar1, Qt::Key_Escape);
                                         },
                                         [](TForm2& dialog) { dialog.close(); }));

TEST_F(OptionsTest, ANewIntervalReachesTheFileWithTheNextChangeSource) {
    StartWith("110");
    Options([](TForm2& dialog) {
        dialog.TrackBar1->setValue(300);
        dialog.Button1->click();
    });
    answers_.push_back(QString::fromStdString(collection_));
    form_->ChangeSource1Click();
    EXPECT_EQ(ReadFile("config.ini"), " : \r\n51\r\n" + collection_ + "\r\n");
}

TEST_F(OptionsTest, WithoutASettingsFileClosingStartsTheTimerOverAnEmptyText) {
    ASSERT_EQ(Create(), std::nullopt);
    Options([](TForm2& dialog) { dialog.Button1->click(); });
    EXPECT_TRUE(form_->Timer1->Enabled());
    form_->Timer1Timer();
    EXPECT_EQ(Caption(), "");
}

class OptionsOverABadIntervalTest : public OptionsTest,
                                    public testing::WithParamInterface<const char*> {};

TEST_P(OptionsOverABadIntervalTest, OpensAtTheTimersIntervalAndOkRepairsTheLine) {
    WriteFile("config.ini", " : \r\n" + std::string(GetParam()) + "\r\n" + collection_ + "\r\n");
    ASSERT_EQ(Create(), "'" + std::string(GetParam()) + "' is not a valid integer value");
    // Cancel keeps the line as it is; OK stores the interval the slider stands for.
    EXPECT_EQ(Options(Cancel).position, 241);
    EXPECT_EQ(form_->Settings.Get(1), GetParam());
    EXPECT_EQ(Options([](TForm2& dialog) { dialog.Button1->click(); }).position, 241);
    EXPECT_EQ(form_->Settings.Get(1), "110");
    EXPECT_TRUE(form_->Timer1->Enabled());
    answers_.push_back(QString::fromStdString(collection_));
    form_->ChangeSource1Click();
    EXPECT_EQ(ReadFile("config.ini"), " : \r\n110\r\n" + collection_ + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Lines, OptionsOverABadIntervalTest,
                         testing::Values("abc", "", "2147483648"));

class UnreadableSettingsTest : public OptionsTest, public testing::WithParamInterface<bool> {};

TEST_P(UnreadableSettingsTest, CommandsWorkAndAChoiceWritesAllThreeLines) {
    // A regular file that cannot be read, reached through a link: Settings stays empty.
    ASSERT_EQ(symlink("/proc/self/mem", SettingsPath().c_str()), 0);
    EXPECT_EQ(Create(), "Cannot read file \"" + SettingsPath() + "\". " + EInOutError(EIO).what());
    const bool slower = GetParam();
    EXPECT_EQ(Options(slower ? Slowest : Cancel).position, 241);
    ASSERT_EQ(unlink(SettingsPath().c_str()), 0); // the choice may now be written
    answers_.push_back(QString::fromStdString(collection_));
    form_->ChangeSource1Click();
    EXPECT_EQ(ReadFile("config.ini"), SettingsText(" : ", slower ? "301" : "110", collection_));
    EXPECT_TRUE(form_->Bar().MessageText().starts_with(LoadedStart()));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutANewSpeed, UnreadableSettingsTest, testing::Bool());
