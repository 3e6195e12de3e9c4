#pragma once

#include "web/WebFolder.h"

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>
#include <functional>
#include <string>

namespace zintra {

// A fetched list of collections, read: its entries, the names the list box shows for them and
// the text kept as the last list; or why it could not be read.
struct ReadList {
    SavedList list;
    QStringList names;
    std::string text;
    std::string failure;
};

// Reads fetched lists on a thread of the pool, so that however long a list is, the window
// thread only shows it. The outcome arrives through OnRead on the thread that started the
// reading, unless Cancel or another Start came first.
class ListReading : public QObject {
public:
    explicit ListReading(QObject* parent = nullptr);
    ~ListReading() override;

    void Start(const QUrl& url, std::string body, std::string contentType);
    void Cancel();
    bool Running() const { return watcher_.isRunning(); }

    std::function<void(ReadList& read)> OnRead;

private:
    QFutureWatcher<ReadList> watcher_;
};

} // namespace zintra
