// A left click on the bar opens the story under the pointer, and nothing else.
#include "platform/StaticText.h"
#include "tests/app/MainWindowTest.h"
#include "web/FeedCollection.h"
#include "web/FeedLinks.h"

#include <QDesktopServices>
#include <QTest>

using namespace zintra;

namespace {

class Browser : public QObject {
    Q_OBJECT
public:
    Browser() {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open");
    }
    ~Browser() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }
    std::vector<QString> opened;

public slots:
    void Open(const QUrl& url) { opened.push_back(url.toString()); }
};

class BarLinksTest : public MainWindowTest {
protected:
    // Clicks the bar on the middle of the drawn character that `drawnBefore` leads up to.
    void ClickAfter(const QString& drawnBefore) {
        StaticText& bar = *form_->StaticText1;
        const QFontMetrics metrics(bar.font());
        const int x = bar.contentsRect().left() + metrics.horizontalAdvance(drawnBefore) -
                      metrics.horizontalAdvance(drawnBefore.back()) / 2;
        QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(x, bar.height() / 2));
    }

    Browser browser_;
};

} // namespace

TEST_F(BarLinksTest, OpensTheWebLinkOfTheHeadlineUnderThePointer) {
    const Feed feed{
        "A&B",
        QUrl("https://news.example/"),
        {{"First story", QUrl("https://news.example/1")}, {"No link", {}}, {"Local", {}}},
        {}};
    FeedCollection collection = MakeFeedCollection(feed, {}, QDateTime::currentDateTime());
    // Links are only ever kept for the web, yet a file: one slipped in is not opened.
    collection.links[5] = QUrl("file:///etc/passwd");
    const std::string copy = Path("web/news.example/feed.xml");
    std::filesystem::create_directories(Path("web/news.example"));
    WriteFile("web/news.example/feed.xml", collection.text);
    FeedLinks(WebFolder::BesideSettings(SettingsPath()))
        .Keep(QString::fromStdString(copy), collection.text, collection.links);
    WriteFile("config.ini", SettingsText(" : ", "110", copy));
    ASSERT_EQ(Create(), std::nullopt);
    form_->Bar().SetScrollPos(56);
    form_->Timer1Timer();

    ClickAfter("A&B: Fi");
    ClickAfter("A&B: First story   \u2022");
    ClickAfter("A&B: First story   \u2022   No");
    ClickAfter("A&B: First story   \u2022   No link   \u2022   Lo");
    ClickAfter("A&");
    EXPECT_EQ(browser_.opened,
              (std::vector<QString>{"https://news.example/1", "https://news.example/"}));

    // A copy changed since its links were kept, and a collection of its own, have none.
    WriteFile("web/news.example/feed.xml", collection.text + "\n");
    form_->Load(copy);
    form_->Timer1Timer();
    form_->UseSource(collection_);
    form_->Timer1Timer();
    ClickAfter("A&B: Fi");
    ClickAfter("tle");
    EXPECT_EQ(browser_.opened.size(), 2u);
}

#include "BarLinksTest.moc"
