#pragma once

#include "web/WebFolder.h"

#include <QProgressDialog>
#include <functional>
#include <memory>

namespace zintra {

class TSock;
class HttpGet;
class WebDownload;
struct DownloadOutcome;

// The small window a dropped address is downloaded under: it shows the bytes received, and its
// Cancel stops the download. A failure is shown in the error box.
class DownloadWindow : public QProgressDialog {
public:
    DownloadWindow(const WebFolder& folder, QWidget* owner);
    ~DownloadWindow() override;

    // Downloads `url` into its copy; OnDownloaded then gets the copy's full path.
    void Start(const QUrl& url);
    std::function<void(const QString& path)> OnDownloaded;

private:
    void Downloaded(const DownloadOutcome& outcome);

    TSock* sock_;
    std::unique_ptr<HttpGet> get_;
    std::unique_ptr<WebDownload> download_;
};

} // namespace zintra
