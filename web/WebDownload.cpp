#include "web/WebDownload.h"

#include "web/CollectionCheck.h"
#include "web/FeedCopy.h"
#include "web/FeedLinks.h"
#include "web/WebAddress.h"

#include <exception>
#include <stdexcept>

namespace zintra {

WebDownload::WebDownload(HttpGet& get, WebFolder folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), get_(get) {}

void WebDownload::Start(const QUrl& url, bool refresh) {
    Cancel();
    url_ = url;
    HttpConditions conditions;
    try {
        // An address that cannot name a copy is refused before anything is fetched; the refusal
        // is reported from the event loop unless the download is cancelled or started again.
        if (const std::string refused = RefusedAddress(url); !refused.empty()) {
            throw std::runtime_error(refused);
        }
        path_ = folder_.CopyPath(url);
        if (refresh) {
            if (const std::optional<CopyRecord> record = folder_.RecordOf(path_)) {
                conditions = {record->etag, record->lastModified};
            }
        }
    } catch (const std::exception& failure) {
        QMetaObject::invokeMethod(
            this,
            [this, generation = generation_, text = std::string(failure.what())] {
                if (generation == generation_ && OnDone) {
                    OnDone({QString(), false, text});
                }
            },
            Qt::QueuedConnection);
        return;
    }
    get_.OnDone = [this](const HttpAnswer& answer) { Keep(answer); };
    get_.Start(url, conditions);
}

void WebDownload::Cancel() {
    ++generation_;
    get_.Cancel();
}

void WebDownload::Keep(const HttpAnswer& answer) {
    DownloadOutcome outcome{path_, false, answer.failure};
    if (answer.failure.empty() && !answer.notModified) {
        try {
            // A feed is kept as its collection, with the links of its lines beside it.
            const CopyText copy = CopyTextOf(answer, QDateTime::currentDateTime());
            CheckCollection(answer.url, copy.text,
                            copy.links.empty() ? answer.contentType : std::string());
            outcome.changed = folder_.Keep({url_, answer.etag, answer.lastModified}, copy.text);
            FeedLinks(folder_).Keep(path_, copy.text, copy.links, copy.freshFor);
        } catch (const std::exception& failure) {
            outcome.failure = AddressText(url_) + " - " + failure.what();
        }
    }
    if (OnDone) {
        OnDone(outcome);
    }
}

} // namespace zintra
