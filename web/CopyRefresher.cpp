#include "web/CopyRefresher.h"

#include "sock/Sock.h"
#include "web/FeedLinks.h"

#include <algorithm>

namespace zintra {

CopyRefresher::CopyRefresher(WebFolder folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), sock_(std::make_unique<TSock>(this)),
      get_(std::make_unique<HttpGet>(*sock_)),
      download_(std::make_unique<WebDownload>(*get_, folder_)) {
    timer_.setInterval(kInterval);
    connect(&timer_, &QTimer::timeout, this, [this] { Refresh(); });
    download_->OnDone = [this](const DownloadOutcome& outcome) {
        if (outcome.failure.empty() && outcome.changed) {
            TakeInterval(outcome.path);
            if (OnChanged) {
                OnChanged(outcome.path);
            }
        }
    };
}

// The download goes before the GET it works through, and that before its component.
CopyRefresher::~CopyRefresher() {
    download_.reset();
    get_.reset();
}

void CopyRefresher::SetInterval(std::chrono::milliseconds interval) {
    interval_ = interval;
    timer_.setInterval(interval);
}

void CopyRefresher::TakeInterval(const QString& path) {
    timer_.setInterval(
        std::max<std::chrono::milliseconds>(interval_, FeedLinks(folder_).FreshFor(path)));
}

void CopyRefresher::Follow(const QString& path) {
    download_->Cancel();
    timer_.stop();
    const std::optional<CopyRecord> record = folder_.RecordOf(path);
    if (!record) {
        url_.clear();
        return;
    }
    url_ = record->url;
    TakeInterval(path);
    timer_.start();
    Refresh();
}

void CopyRefresher::Refresh() {
    if (!download_->Running()) {
        download_->Start(url_, /*refresh=*/true);
    }
}

} // namespace zintra
