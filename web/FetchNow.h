#pragma once

#include "web/WebFolder.h"

#include <QString>
#include <QUrl>

namespace zintra {

// Downloads `url` into its copy in `folder` as the program does, waiting for the outcome on an
// event loop of its own (a console program's way); gives the copy's path. Raises EWebFailure
// when the download fails. Needs the socket unit started and a QCoreApplication.
QString FetchCopyNow(const QUrl& url, const WebFolder& folder);

} // namespace zintra
