#include "web/FetchNow.h"

#include "sock/Sock.h"
#include "web/WebDownload.h"
#include "web/WebFailure.h"

#include <QEventLoop>
#include <optional>

namespace zintra {

QString FetchCopyNow(const QUrl& url, const WebFolder& folder) {
    TSock sock(nullptr);
    HttpGet get(sock);
    WebDownload download(get, folder);
    QEventLoop loop;
    std::optional<DownloadOutcome> outcome;
    download.OnDone = [&](const DownloadOutcome& done) {
        outcome = done;
        loop.quit();
    };
    download.Start(url);
    loop.exec();
    if (!outcome->failure.empty()) {
        throw EWebFailure(outcome->failure);
    }
    return outcome->path;
}

} // namespace zintra
