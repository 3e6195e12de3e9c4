#include "dialogs/DownloadWindow.h"

#include "platform/Guard.h"
#include "sock/Sock.h"
#include "web/HttpGet.h"
#include "web/WebDownload.h"
#include "web/WebFailure.h"

namespace zintra {

DownloadWindow::DownloadWindow(const WebFolder& folder, QWidget* owner)
    : QProgressDialog(owner), sock_(new TSock(this)), get_(std::make_unique<HttpGet>(*sock_)),
      download_(std::make_unique<WebDownload>(*get_, folder)) {
    setWindowTitle(QStringLiteral("Downloading..."));
    setRange(0, 0);
    setMinimumDuration(0);
    setAutoReset(false);
    setAutoClose(false);
    get_->OnProgress = [this](std::size_t bytes) {
        setLabelText(QStringLiteral("Received %1 bytes").arg(bytes));
    };
    download_->OnDone = [this](const DownloadOutcome& outcome) {
        Guard([&] { Downloaded(outcome); });
    };
    connect(this, &QProgressDialog::canceled, this, [this] { download_->Cancel(); });
}

// The download goes before the GET it works through, and that before its component.
DownloadWindow::~DownloadWindow() {
    download_.reset();
    get_.reset();
}

void DownloadWindow::Start(const QUrl& url) {
    setLabelText(QStringLiteral("Received 0 bytes"));
    show();
    download_->Start(url);
}

void DownloadWindow::Downloaded(const DownloadOutcome& outcome) {
    hide();
    if (!outcome.failure.empty()) {
        throw EWebFailure(outcome.failure);
    }
    if (OnDownloaded) {
        OnDownloaded(outcome.path);
    }
}

} // namespace zintra
