#include "web/FeedLinks.h"

#include "base/AtomicFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zintra {

namespace {

const QString kLinks = QStringLiteral("_links");

QByteArray Fingerprint(std::string_view text) {
    return QCryptographicHash::hash(
               QByteArrayView(text.data(), static_cast<qsizetype>(text.size())),
               QCryptographicHash::Sha256)
        .toHex();
}

} // namespace

QString FeedLinks::PathOf(const QString& copyPath) const {
    const QString relative =
        QDir(folder_.Root())
            .relativeFilePath(QDir::cleanPath(QFileInfo(copyPath).absoluteFilePath()));
    // Host folders never begin with "_": that is where the folder keeps its own files.
    if (relative.isEmpty() || relative.startsWith(QStringLiteral("..")) ||
        relative.startsWith(u'_') || QDir::isAbsolutePath(relative)) {
        return {};
    }
    return folder_.Root() + u'/' + kLinks + u'/' + relative;
}

void FeedLinks::Keep(const QString& copyPath, std::string_view collection,
                     const std::vector<QUrl>& links, std::chrono::seconds freshFor) const {
    const QString path = PathOf(copyPath);
    if (path.isEmpty()) {
        return;
    }
    if (links.empty()) {
        QFile::remove(path);
        return;
    }
    std::string text =
        Fingerprint(collection).toStdString() + " " + std::to_string(freshFor.count()) + "\n";
    for (const QUrl& link : links) {
        text += link.toString(QUrl::FullyEncoded).toStdString() + "\n";
    }
    QDir().mkpath(QFileInfo(path).path());
    WriteFileAtomically(QFile::encodeName(path).toStdString(), text);
}

QList<QByteArray> FeedLinks::Lines(const QString& copyPath) const {
    const QString path = PathOf(copyPath);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QList<QByteArray> lines = file.readAll().split('\n');
    // Every line ends in a line feed, the last too.
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

std::vector<QUrl> FeedLinks::Of(const QString& path) const {
    const QList<QByteArray> lines = Lines(path);
    QFile copy(path);
    if (lines.isEmpty() || !copy.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray text = copy.readAll();
    if (lines.front().split(' ').front() !=
        Fingerprint(std::string_view(text.constData(), std::size_t(text.size())))) {
        return {};
    }
    std::vector<QUrl> links;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        links.emplace_back(QString::fromUtf8(lines[i]), QUrl::StrictMode);
    }
    return links;
}

std::chrono::seconds FeedLinks::FreshFor(const QString& path) const {
    const QList<QByteArray> lines = Lines(path);
    const QList<QByteArray> head = lines.isEmpty() ? QList<QByteArray>() : lines.front().split(' ');
    return std::chrono::seconds(head.size() > 1 ? head[1].toLongLong() : 0);
}

} // namespace zintra
