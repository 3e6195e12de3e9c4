#include "base/Exceptions.h"
#include "platform/StaticText.h"
#include "platform/Timer.h"
#include "tests/app/MainWindowTest.h"

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace zintra;

namespace {

const std::string kMissing = "The collection of quotes/jokes that has been used by Zintra";

struct StartCase {
    const char* name;
    std::optional<std::string> settings; // "%C" stands for the collection's path
    std::string failure;                 // empty: start-up succeeds
    std::vector<std::string> items;      // Settings afterwards, "%C" as above
    bool timerOn;
    int interval;
    std::string scrolls; // the start of MessageText; empty when nothing was loaded
};

std::string WithCollection(std::string text, const std::string& path) {
    if (auto at = text.find("%C"); at != std::string::npos)
        text.replace(at, 2, path);
    return text;
}

} // namespace

class StartUpTest : public MainWindowTest, public testing::WithParamInterface<StartCase> {};

TEST_P(StartUpTest, ReadsTheSettingsFile) {
    const StartCase& c = GetParam();
    if (c.settings)
        WriteFile("config.ini", WithCollection(*c.settings, collection_));

    EXPECT_EQ(Create().value_or(""), c.failure);

    std::vector<std::string> items;
    for (const std::string& item : c.items)
        items.push_back(WithCollection(item, collection_));
    EXPECT_EQ(Settings(), items);
    EXPECT_EQ(form_->Timer1->Enabled(), c.timerOn);
    EXPECT_EQ(form_->Timer1->Interval(), c.interval);
    EXPECT_EQ(Caption(), "Loading...");
    EXPECT_EQ(form_->Bar().MessageText().substr(0, c.scrolls.size()), c.scrolls);
    if (c.scrolls.empty()) {
        EXPECT_EQ(form_->Bar().MessageText(), "");
    }
    // Start-up never writes the settings file.
    EXPECT_EQ(ReadFile("config.ini"), WithCollection(c.settings.value_or(""), collection_));
}

INSTANTIATE_TEST_SUITE_P(
    Files, StartUpTest,
    testing::Values(
        StartCase{"NoFile", std::nullopt, "", {" : ", "110", ""}, false, 110, ""},
        StartCase{"OneLine",
                  " : \r\n",
                  "'' is not a valid integer value",
                  {" : ", "", ""},
                  false,
                  110,
                  ""},
        StartCase{"TwoLines",
                  " - \r\n250\r\n",
                  "",
                  {" - ", "250", ""},
                  true,
                  250,
                  std::string(55, ' ') + kMissing},
        StartCase{"ThreeLines",
                  " : \r\n110\r\n%C\r\n",
                  "",
                  {" : ", "110", "%C"},
                  true,
                  110,
                  LoadedStart()},
        StartCase{"FiveLines",
                  "  ~  \n90\n%C\nmore\nlines\n",
                  "",
                  {"  ~  ", "90", "%C"},
                  true,
                  90,
                  LoadedStart()},
        StartCase{"IntervalNotAnInteger",
                  " : \r\nfast\r\n%C\r\n",
                  "'fast' is not a valid integer value",
                  {" : ", "fast", "%C"},
                  false,
                  110,
                  ""},
        StartCase{"IntervalWithTrailingBlank",
                  " : \r\n250 \r\n%C\r\n",
                  "'250 ' is not a valid integer value",
                  {" : ", "250 ", "%C"},
                  false,
                  110,
                  ""},
        StartCase{
            "IntervalZero", " : \r\n0\r\n%C\r\n", "", {" : ", "0", "%C"}, true, 0, LoadedStart()},
        StartCase{"IntervalWithLeadingBlank",
                  " : \r\n 250\r\n%C\r\n",
                  "",
                  {" : ", " 250", "%C"},
                  true,
                  250,
                  LoadedStart()},
        StartCase{"IntervalInHex",
                  " : \r\n$FA\r\n%C\r\n",
                  "",
                  {" : ", "$FA", "%C"},
                  true,
                  250,
                  LoadedStart()},
        StartCase{"MissingCollection",
                  " : \r\n110\r\n/nowhere/gone.zin\r\n",
                  "",
                  {" : ", "110", "/nowhere/gone.zin"},
                  true,
                  110,
                  std::string(55, ' ') + kMissing}),
    [](const testing::TestParamInfo<StartCase>& info) { return info.param.name; });

TEST_F(MainWindowTest, WithoutSettingsFileNoneIsCreated) {
    ASSERT_EQ(Create(), std::nullopt);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(SettingsPath())));
    EXPECT_NE(form_->OptionsDialog, nullptr);
    EXPECT_EQ(form_->PopupMenu, form_->PopupMenu1);
}

TEST_F(MainWindowTest, SettingsThatAreNoRegularFileCountAsNone) {
    // A FIFO would wait for a writer for ever, and a device may never end.
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    for (const std::string& special : {Path("fifo"), std::string("/dev/zero")}) {
        ASSERT_EQ(symlink(special.c_str(), SettingsPath().c_str()), 0);
        ASSERT_EQ(Create(), std::nullopt);
        EXPECT_EQ(Settings(), (std::vector<std::string>{" : ", "110", ""}));
        EXPECT_EQ(Caption(), "Loading...");
        ASSERT_EQ(unlink(SettingsPath().c_str()), 0);
    }
}

TEST_F(MainWindowTest, WindowIsANarrowFixedBar) {
    ASSERT_EQ(Create(), std::nullopt);
    EXPECT_EQ(form_->windowTitle(), "Zintra 1.00");
    EXPECT_EQ(form_->minimumSize(), QSize(370, 19));
    EXPECT_EQ(form_->maximumSize(), QSize(370, 19));
    EXPECT_FALSE(form_->windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form_->StaticText1->geometry(), QRect(0, 0, 369, 19));
}
