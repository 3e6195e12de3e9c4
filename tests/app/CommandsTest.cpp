#include "core/CollectionErrors.h"
#include "platform/Application.h"
#include "platform/PathText.h"
#include "platform/StaticText.h"
#include "platform/Timer.h"
#include "sock/SockUnit.h"
#include "tests/app/MainWindowTest.h"
#include "tests/support/MemoryLimit.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/TestFolder.h"
#include "tests/support/WebServers.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <filesystem>
#include <sys/stat.h>

using namespace zintra;

TEST_F(MainWindowTest, TheFirstCollectionChosenCreatesTheSettingsFile) {
    ASSERT_EQ(Create(), std::nullopt);
    answers_.push_back(QString::fromStdString(collection_));
    form_->ChangeSource1Click();

    EXPECT_EQ(ReadFile("config.ini"), SettingsText(" : ", "110", collection_));
    EXPECT_EQ(form_->Bar().MessageText().substr(0, LoadedStart().size()), LoadedStart());
    EXPECT_TRUE(form_->Timer1->Enabled());
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].title, "Select Zintra Source File");
    EXPECT_EQ(asked_[0].filter, "Zintra Source Files (*.zin)");
    EXPECT_EQ(asked_[0].fileName, "");
}

TEST_F(MainWindowTest, CancellingTheChooserChangesNothing) {
    const std::string settings = SettingsText(" : ", "110", collection_);
    WriteFile("config.ini", settings);
    ASSERT_EQ(Create(), std::nullopt);
    const std::string shown = form_->Bar().MessageText();
    answers_.push_back(std::nullopt);
    form_->ChangeSource1Click();

    EXPECT_EQ(ReadFile("config.ini"), settings);
    EXPECT_EQ(Settings(), (std::vector<std::string>{" : ", "110", collection_}));
    EXPECT_EQ(form_->Bar().MessageText(), shown);
    EXPECT_TRUE(form_->Timer1->Enabled());
}

TEST_F(MainWindowTest, ChoosingTheShownCollectionAgainRewritesAndReloads) {
    WriteFile("config.ini", SettingsText("  ~ ", " $6E", collection_) + "line 4\r\n");
    ASSERT_EQ(Create(), std::nullopt);
    WriteFile("quotes.zin", "Renamed\r\nLast\r\n");
    answers_.push_back(QString::fromStdString(collection_));
    form_->ChangeSource1Click();

    // The Separator and interval text go back as they were read; line 4 is gone.
    EXPECT_EQ(ReadFile("config.ini"), SettingsText("  ~ ", " $6E", collection_));
    EXPECT_EQ(form_->Bar().MessageText(), std::string(55, ' ') + "Renamed Last");
}

TEST_F(MainWindowTest, TheChooserPreselectsTheCollectionChosenLast) {
    WriteFile("other.zin", "Other\r\n");
    ASSERT_EQ(Create(), std::nullopt);
    answers_ = {QString::fromStdString(collection_), std::nullopt,
                QString::fromStdString(Path("other.zin"))};
    for (int i = 0; i < 3; ++i)
        form_->ChangeSource1Click();

    ASSERT_EQ(asked_.size(), 3u);
    EXPECT_EQ(asked_[1].fileName.toStdString(), collection_);
    EXPECT_EQ(asked_[2].fileName.toStdString(), collection_);
    EXPECT_EQ(ReadFile("config.ini"), SettingsText(" : ", "110", Path("other.zin")));
}

TEST_F(MainWindowTest, ASettingsFileThatCannotBeWrittenIsReportedAndNothingLoads) {
    // A folder where the file should be: there is no settings file, and none can be written.
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(SettingsPath())));
    ASSERT_EQ(Create(), std::nullopt);
    answers_.push_back(QString::fromStdString(collection_));
    ShownBox shown;
    ModalAnswer answer(RecordAndPressOk(shown));
    form_->ChangeSource1->trigger();

    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(shown.title, "Zintra 1.00");
    EXPECT_EQ(shown.icon, QMessageBox::Critical);
    EXPECT_EQ(shown.text.toStdString(),
              "Cannot create file \"" + SettingsPath() + "\". Is a directory.");
    EXPECT_EQ(Settings(), (std::vector<std::string>{" : ", "110", ""}));
    EXPECT_EQ(Caption(), "Loading...");
    EXPECT_FALSE(form_->Timer1->Enabled());
    EXPECT_EQ(form_->Bar().MessageText(), "");
    // Only the folder is there: no temporary file was left behind.
    EXPECT_EQ(QDir(QString::fromStdString(Path(""))).entryList(QDir::Files),
              QStringList{"quotes.zin"});
}

// A choice that cannot be kept leaves the settings file, Settings and the scrolling text as they
// were: a name with a line break (it would be cut at the next start), then a failed write.
TEST_F(MainWindowTest, AChoiceThatCannotBeKeptLeavesTheOldCollectionScrolling) {
    const std::string settings = SettingsText(" : ", "110", collection_);
    WriteFile("config.ini", settings);
    ASSERT_EQ(Create(), std::nullopt);
    const std::string shown = form_->Bar().MessageText();
    form_->Timer1Timer();
    const std::string caption = Caption();
    for (const std::string name : {"a\nb.zin", "a\rb.zin"}) {
        WriteFile(name, "Other\r\n");
        answers_.push_back(QString::fromStdString(Path(name)));
        ShownBox refusal;
        ModalAnswer answer(RecordAndPressOk(refusal));
        form_->ChangeSource1->trigger();
        ASSERT_TRUE(answer.Answered());
        EXPECT_TRUE(refusal.text.contains("its name holds a line break"))
            << refusal.text.toStdString();
        EXPECT_EQ(ReadFile("config.ini"), settings);
    }
    std::filesystem::remove(SettingsPath());
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(SettingsPath())));
    WriteFile("other.zin", "Other\r\n");
    answers_.push_back(QString::fromStdString(Path("other.zin")));
    ShownBox box;
    ModalAnswer failure(RecordAndPressOk(box));
    form_->ChangeSource1->trigger();
    ASSERT_TRUE(failure.Answered());

    EXPECT_EQ(Settings(), (std::vector<std::string>{" : ", "110", collection_}));
    EXPECT_EQ(form_->Bar().MessageText(), shown);
    EXPECT_EQ(Caption(), caption);
    EXPECT_TRUE(form_->Timer1->Enabled());
}

TEST_F(MainWindowTest, TicksScrollTheBarOneCharacterAtATime) {
    WriteFile("config.ini", SettingsText(" : ", "1", collection_));
    ASSERT_EQ(Create(), std::nullopt);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Caption() != "Loading..."; }, 5000));
    form_->Timer1->SetEnabled(false);
    form_->Bar().SetScrollPos(2);
    form_->Timer1Timer();
    EXPECT_EQ(Caption(), std::string(54, ' ') + "T");
    form_->Timer1Timer();
    EXPECT_EQ(Caption(), std::string(53, ' ') + "Ti");
}

TEST_F(MainWindowTest, ExitEndsTheMessageLoopWithExitCodeZero) {
    ASSERT_EQ(Create(), std::nullopt);
    QTimer::singleShot(0, [&] { form_->Exit1->trigger(); });
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(MainWindowTest, SpecialFilesShowTheMissingCollectionAndRunningOutOfMemoryFailsCleanly) {
    ASSERT_EQ(Create(), std::nullopt);
    ASSERT_EQ(mkfifo(Path("fifo.zin").c_str(), 0600), 0);
    for (const std::string& path : {Path("fifo.zin"), std::string("/dev/zero")}) {
        answers_.push_back(QString::fromStdString(path));
        form_->ChangeSource1Click();
        EXPECT_TRUE(form_->Bar().MessageText().ends_with("from the menu that opens.")) << path;
    }
    if (!kCanLimitMemory)
        GTEST_SKIP() << "no memory limit under AddressSanitizer";
    const std::string big = WriteOversizedFile(Path("big.zin"));
    const int result = RunWithMemoryLimit(256 << 20, [&] {
        answers_ = {QString::fromStdString(big), QString::fromStdString(collection_)};
        try {
            form_->ChangeSource1Click();
        } catch (const ECollectionTooLarge&) {
            // The memory is free again: the next collection loads.
            form_->ChangeSource1Click();
            return form_->Bar().MessageText().starts_with(LoadedStart()) ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(result, 0);
}

class DropTest : public MainWindowTest {
protected:
    // Drops `urls` on the message bar; gives whether the drop was taken.
    bool Drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form_->StaticText1, &enter);
        QDropEvent drop({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form_->StaticText1, &drop);
        QCoreApplication::processEvents();
        return enter.isAccepted() && drop.isAccepted();
    }
};

TEST_F(DropTest, ASingleLocalFileIsRecordedAndShown) {
    ASSERT_EQ(Create(), std::nullopt);
    EXPECT_TRUE(Drop({QUrl::fromLocalFile(QString::fromStdString(collection_))}));
    EXPECT_EQ(ReadFile("config.ini"), SettingsText(" : ", "110", collection_));
    EXPECT_TRUE(form_->Bar().MessageText().starts_with(LoadedStart()));
    EXPECT_TRUE(form_->Timer1->Enabled());

    // A collection that fails to load shows the error box, as when chosen.
    WriteFile("empty.zin", "");
    ShownBox shown;
    ModalAnswer answer(RecordAndPressOk(shown));
    EXPECT_TRUE(Drop({QUrl::fromLocalFile(QString::fromStdString(Path("empty.zin")))}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer.Answered(); }, 5000));
    EXPECT_EQ(shown.text, "List index out of bounds (0)");
    EXPECT_EQ(Caption(), "Loading...");
    EXPECT_EQ(Settings()[2], Path("empty.zin"));
}

TEST_F(DropTest, AnythingButOneLocalFileIsLeftAlone) {
    WriteFile("other.zin", "Other\r\n");
    const std::string settings = SettingsText(" : ", "110", collection_);
    WriteFile("config.ini", settings);
    ASSERT_EQ(Create(), std::nullopt);
    const std::string shown = form_->Bar().MessageText();
    const QUrl other = QUrl::fromLocalFile(QString::fromStdString(Path("other.zin")));
    for (const QList<QUrl>& urls :
         {QList<QUrl>{other, other}, QList<QUrl>{QUrl("ftp://127.0.0.1/q.zin")},
          QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(Path("")))}, QList<QUrl>{}}) {
        EXPECT_FALSE(Drop(urls)) << urls.size();
        EXPECT_EQ(ReadFile("config.ini"), settings);
        EXPECT_EQ(form_->Bar().MessageText(), shown);
    }
}

TEST_F(DropTest, NamesThatAreNotUtf8AreTakenAsTheirBytes) {
    const std::string name = "caf\xE9.zin";
    WriteFile(name, "Caf\xE9s\r\nLast\r\n");
    const std::string path = Path(name);
    ASSERT_EQ(Create(), std::nullopt);
    const QUrl dropped =
        QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
    EXPECT_TRUE(Drop({dropped}));
    EXPECT_EQ(ReadFile("config.ini"), SettingsText(" : ", "110", path));
    EXPECT_EQ(form_->Bar().MessageText(), std::string(55, ' ') + "Caf\xE9s Last");

    std::filesystem::remove(SettingsPath());
    answers_.push_back(PathText(path));
    form_->ChangeSource1Click();
    EXPECT_EQ(ReadFile("config.ini"), SettingsText(" : ", "110", path));
}

// A dropped address is downloaded into the web folder and shown; once the server's copy
// changes, the refreshed copy is shown from the next time the text starts over.
TEST_F(DropTest, ADroppedAddressIsKeptInTheWebFolderAndRefreshed) {
    const SockUnit unit;
    TestFolder published;
    published.Write("q.zin", "Title\nfirst\nLast\n");
    const WebServer server(WebServer::Python, published.Path(""), published);
    ASSERT_EQ(Create(), std::nullopt);
    EXPECT_TRUE(Drop({server.Url("/q.zin")}));
    const std::string copy = Path("web/127.0.0.1_" + std::to_string(server.Port()) + "/q.zin");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Settings()[2] == copy; }, 20000));
    EXPECT_EQ(ReadFile("config.ini"), SettingsText(" : ", "110", copy));
    EXPECT_TRUE(form_->Bar().MessageText().starts_with(LoadedStart()));

    published.Write("q.zin", "Title\nsecond\nLast\n");
    std::filesystem::last_write_time(published.Path("q.zin"),
                                     std::filesystem::file_time_type::clock::now() +
                                         std::chrono::hours(1));
    form_->UseSource(copy); // at load, the copy is fetched again
    ASSERT_TRUE(QTest::qWaitFor([&] { return ReadBytes(copy).find("second") != std::string::npos; },
                                20000));
    const std::string before = form_->Bar().MessageText();
    while (form_->Bar().ScrollPos() <= form_->Bar().MessageLength()) {
        form_->Timer1Timer();
        EXPECT_EQ(form_->Bar().MessageText(), before);
    }
    form_->Timer1Timer();
    EXPECT_NE(form_->Bar().MessageText().find("second"), std::string::npos);
    EXPECT_EQ(form_->Bar().ScrollPos(), 1);
}
