#include "web/FetchNow.h"

#include "sock/Sock.h"
#include "web/WebDownload.h"
#include "web/WebFailure.h"

#include <QEventLoop>
#include <QRegularExpression>
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

bool IsWebAddress(const QString& text) {
    static const QRegularExpression address(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return address.match(text).hasMatch();
}

} // namespace zintra
