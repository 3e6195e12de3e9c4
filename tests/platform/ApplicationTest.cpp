#include "platform/Application.h"

#include "platform/Timer.h"
#include "tests/support/ModalAnswer.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

using namespace zintra;

namespace {

std::vector<QString> created;

// A window whose creation handler records it, and fails when asked to.
class RecordingForm : public QWidget {
public:
    RecordingForm(QString name, RecordingForm** variable, bool fail)
        : name_(std::move(name)), variable_(variable), fail_(fail) {}

    void FormCreate() {
        // The window variable is set before this handler runs.
        created.push_back(*variable_ == this ? name_ : name_ + " (variable unset)");
        if (fail_)
            throw std::runtime_error("Creation failed");
        created.push_back(name_ + " finished");
    }

private:
    QString name_;
    RecordingForm** variable_;
    bool fail_;
};

} // namespace

TEST(ApplicationTest, CreatesFormsInOrderAndReportsAFailingCreationHandler) {
    RecordingForm* First = nullptr;
    RecordingForm* Second = nullptr;
    ShownBox shown;
    ModalAnswer answer(RecordAndPressOk(shown));

    Application::Instance().CreateForm(First, "First", &First, true);
    Application::Instance().CreateForm(Second, "Second", &Second, false);

    EXPECT_EQ(created, (std::vector<QString>{"First", "Second", "Second finished"}));
    EXPECT_EQ(Application::Instance().MainForm(), First);
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(shown.title, "Zintra 1.00");
    EXPECT_EQ(shown.text, "Creation failed.");
    EXPECT_EQ(shown.icon, QMessageBox::Critical);
}

struct BoxCase {
    const char* message;
    const char* shown;
};

class ErrorBoxTest : public testing::TestWithParam<BoxCase> {};

TEST_P(ErrorBoxTest, AGuardedTickShowsItsFailureAndTheProgramGoesOn) {
    Timer timer(1);
    int ticks = 0;
    QObject::connect(&timer, &Timer::Tick, Guarded([&] {
        timer.SetEnabled(false);
        if (++ticks == 1)
            throw std::runtime_error(GetParam().message);
    }));
    ShownBox shown;
    ModalAnswer answer(RecordAndPressOk(shown));
    timer.SetEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.Answered(); }, 5000));
    EXPECT_EQ(shown.text, GetParam().shown);
    EXPECT_EQ(shown.format, Qt::PlainText) << "a failure's text is never read as markup";

    timer.SetEnabled(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 2; }, 5000));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ErrorBoxTest,
    testing::Values(BoxCase{"Disk full", "Disk full."},
                    BoxCase{"List index out of bounds (2)", "List index out of bounds (2)"},
                    BoxCase{"Done.", "Done."},
                    BoxCase{"Cannot open \"/x\xC3\xA9\"", "Cannot open \"/x\xC3\xA9\""},
                    BoxCase{"File \"/x\xE9\" is gone", "File \"/x\xC3\xA9\" is gone."},
                    BoxCase{"'<b>25</b>' is not a valid integer value",
                            "'<b>25</b>' is not a valid integer value."}));

TEST(ApplicationTest, TerminateEndsTheMessageLoopWithExitCodeZero) {
    QTimer::singleShot(0, [] { Application::Instance().Terminate(); });
    EXPECT_EQ(QApplication::exec(), 0);
}
