#include "web/ListReading.h"

#include "web/CollectionList.h"
#include "web/WebAddress.h"

#include <QPromise>
#include <QThreadPool>
#include <memory>

namespace zintra {

namespace {

ReadList Read(const QUrl& url, const std::string& body, const std::string& contentType) {
    ReadList read;
    try {
        read.list = {url, ReadCollectionList(url, body, contentType)};
        read.names = CollectionNames(read.list.entries);
        read.text = WebFolder::ListText(read.list);
    } catch (const std::exception& failure) {
        read = {};
        read.failure = AddressText(url) + " - " + failure.what();
    }
    return read;
}

} // namespace

ListReading::ListReading(QObject* parent) : QObject(parent) {
    connect(&watcher_, &QFutureWatcherBase::finished, this, [this] {
        // Only the reading watched now gives its outcome, and once.
        QFuture<ReadList> future = watcher_.future();
        if (future.resultCount() > 0 && OnRead) {
            ReadList read = future.takeResult();
            OnRead(read);
        }
    });
}

// A reading that runs goes on alone: it holds all it reads, and its outcome is dropped.
ListReading::~ListReading() {
    Cancel();
}

void ListReading::Start(const QUrl& url, std::string body, std::string contentType) {
    Cancel();
    auto promise = std::make_shared<QPromise<ReadList>>();
    watcher_.setFuture(promise->future());
    QThreadPool::globalInstance()->start(
        [promise, url, body = std::move(body), contentType = std::move(contentType)] {
            promise->start();
            promise->addResult(Read(url, body, contentType));
            promise->finish();
        });
}

// The watcher leaves the reading that runs for an empty future, which has no outcome to give.
void ListReading::Cancel() {
    watcher_.setFuture(QFuture<ReadList>());
}

} // namespace zintra
