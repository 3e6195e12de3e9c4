#include "sock/SockUnit.h"
#include "tests/app/MainWindowTest.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/SilentResolver.h"

#include <QElapsedTimer>
#include <QTest>

using namespace zintra;

// A dropped address whose host the name server never answers for: the bar scrolls on all
// along, and the download fails at the real connect limit, naming the look-up.
TEST_F(MainWindowTest, ASilentNameServerNeitherStopsTheBarNorOutlastsTheConnectLimit) {
    if (!InsideSilentResolver()) {
        RunBehindASilentResolver(QStringLiteral("MainWindowTest.ASilentNameServer*"));
        return;
    }
    const SockUnit unit;
    ASSERT_EQ(Create(), std::nullopt);
    form_->UseSource(collection_);
    ShownBox shown;
    const ModalAnswer box(RecordAndPressOk(shown));
    QElapsedTimer clock;
    clock.start();
    // The longest time the event loop, which drives the bar's timer, was held.
    qint64 lastLook = 0;
    qint64 longestHold = 0;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        longestHold = std::max(longestHold, clock.elapsed() - lastLook);
        lastLook = clock.elapsed();
    });
    look.start(50);
    const std::int32_t start = form_->Bar().ScrollPos();
    form_->UseAddress(QUrl("http://collections.zintra.test/q.zin"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return box.Answered(); }, 60000));
    EXPECT_EQ(shown.text.toStdString(), "http://collections.zintra.test/q.zin - The look-up of the "
                                        "host collections.zintra.test found no address within 20 "
                                        "seconds.");
    EXPECT_GT(clock.elapsed(), 18000);
    EXPECT_LT(longestHold, 5000);
    EXPECT_NE(form_->Bar().ScrollPos(), start);
}
