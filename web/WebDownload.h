#pragma once

#include "web/HttpGet.h"
#include "web/WebFolder.h"

#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace zintra {

// How a download ended: the copy's path, whether it was replaced, or why it failed (and then
// nothing was replaced).
struct DownloadOutcome {
    QString path;
    bool changed = false;
    std::string failure;
};

// Fetches one address into its copy in the web folder: the copy is replaced, whole, only by a
// complete 200 answer that is a collection the bar can show (CheckCollection), and only when its
// bytes differ from the copy's; otherwise nothing changes and the failure names the address and
// why. A refresh asks conditionally, with the validators the copy was kept with. It fetches
// through `get`, whose OnDone it takes while it downloads.
class WebDownload : public QObject {
public:
    WebDownload(HttpGet& get, WebFolder folder, QObject* parent = nullptr);

    // Starts fetching `url`; `refresh` makes the request conditional on the copy kept.
    void Start(const QUrl& url, bool refresh = false);
    void Cancel();
    bool Running() const { return get_.Running(); }

    std::function<void(std::size_t bytes)>& OnProgress() { return get_.OnProgress; }
    std::function<void(const DownloadOutcome& outcome)> OnDone;

private:
    void Keep(const HttpAnswer& answer);

    WebFolder folder_;
    HttpGet& get_;
    QUrl url_;
    QString path_;
    unsigned generation_ = 0;
};

} // namespace zintra
