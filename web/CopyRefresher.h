#pragma once

#include "web/WebDownload.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

namespace zintra {

class TSock;

// Keeps the copy that is shown fresh: while the file followed is a copy in the web folder, its
// address is fetched again, conditionally, at once and then every interval, in the background.
// A changed collection replaces the copy and is announced through OnChanged; a failed refresh
// changes nothing and says nothing. A feed that asks to be left alone longer is fetched less
// often.
class CopyRefresher : public QObject {
public:
    static constexpr std::chrono::milliseconds kInterval{30 * 60 * 1000};

    explicit CopyRefresher(WebFolder folder, QObject* parent = nullptr);
    ~CopyRefresher() override;

    void SetInterval(std::chrono::milliseconds interval);
    // How often the copy followed is fetched.
    std::chrono::milliseconds Interval() const { return timer_.intervalAsDuration(); }
    // Follows the file at `path`; a file that is no copy of the web folder is not refreshed.
    void Follow(const QString& path);
    WebDownload& Download() { return *download_; }

    std::function<void(const QString& path)> OnChanged;

private:
    void Refresh();
    // The interval, or longer when the feed at `path` asked for it.
    void TakeInterval(const QString& path);

    WebFolder folder_;
    std::chrono::milliseconds interval_ = kInterval;
    std::unique_ptr<TSock> sock_;
    std::unique_ptr<HttpGet> get_;
    std::unique_ptr<WebDownload> download_;
    QTimer timer_;
    QUrl url_;
};

} // namespace zintra
