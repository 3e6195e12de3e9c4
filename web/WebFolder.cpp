#include "web/WebFolder.h"

#include "base/AtomicFile.h"
#include "web/WebFailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace zintra {

namespace {

const QString kRecords = QStringLiteral("_records");
const QString kLastList = QStringLiteral("_last-list.txt");
constexpr qsizetype kNameMax = 255;

[[noreturn]] void Refuse(const QUrl& url, const QString& why) {
    throw EWebFailure(url.toString(QUrl::FullyEncoded).toStdString() +
                      " - Cannot keep a copy of this address: " + why.toStdString());
}

// Host names become folder names: letters, digits, "-" and "." only, as DNS has them.
bool SafeHost(const QString& host) {
    if (host.isEmpty() || host.startsWith(u'.') || host.size() > kNameMax) {
        return false;
    }
    for (const QChar c : host) {
        if (!(c.isDigit() || (c >= u'a' && c <= u'z') || c == u'-' || c == u'.')) {
            return false;
        }
    }
    return true;
}

// One segment of the path, percent-decoded: it must be a plain UTF-8 file name.
std::optional<QString> SafeSegment(const QString& encoded) {
    const QByteArray bytes = QByteArray::fromPercentEncoding(encoded.toLatin1());
    const QString name = QString::fromUtf8(bytes);
    if (bytes.isEmpty() || bytes == "." || bytes == ".." || bytes.size() > kNameMax ||
        name.toUtf8() != bytes) {
        return std::nullopt;
    }
    for (const char c : bytes) {
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return std::nullopt;
        }
    }
    return name;
}

std::string ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

void WriteFile(const QString& path, std::string_view content) {
    if (!QDir().mkpath(QFileInfo(path).path())) {
        throw EWebFailure("Cannot create the folder " + QFileInfo(path).path().toStdString());
    }
    WriteFileAtomically(QFile::encodeName(path).toStdString(), content);
}

QUrl UrlOfLine(const std::string& line) {
    return QUrl(QString::fromStdString(line), QUrl::StrictMode);
}

// A header value goes on one line of a record.
std::string OneLine(std::string text) {
    std::erase_if(text, [](char c) { return c == '\n' || c == '\r'; });
    return text;
}

} // namespace

WebFolder::WebFolder(QString root) : root_(QDir::cleanPath(QDir(root).absolutePath())) {}

WebFolder WebFolder::BesideSettings(const std::string& settingsPath) {
    const QFileInfo settings(QFile::decodeName(QByteArray::fromStdString(settingsPath)));
    return WebFolder(settings.absolutePath() + QStringLiteral("/web"));
}

QString WebFolder::RelativePath(const QUrl& url) const {
    const bool secure = url.scheme() == QStringLiteral("https");
    if (!url.isValid() || (url.scheme() != QStringLiteral("http") && !secure)) {
        Refuse(url, QStringLiteral("only http: and https: addresses are supported"));
    }
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    if (!SafeHost(host)) {
        Refuse(url, QStringLiteral("the host name cannot name a folder"));
    }
    // "_" never occurs in a host name: an https: copy cannot take an http: one's place.
    QString relative = secure ? host + QStringLiteral("_https") : host;
    if (url.port(secure ? 443 : 80) != (secure ? 443 : 80)) {
        relative += u'_' + QString::number(url.port());
    }
    QString path = url.path(QUrl::FullyEncoded);
    if (url.hasQuery()) {
        path += u'?' + url.query(QUrl::FullyEncoded);
    }
    const QStringList segments = path.split(u'/');
    // The path begins with "/"; every segment after it names a folder or, the last, the file.
    if (segments.size() < 2 || !segments.front().isEmpty()) {
        Refuse(url, QStringLiteral("it names no file"));
    }
    for (qsizetype i = 1; i < segments.size(); ++i) {
        const std::optional<QString> name = SafeSegment(segments[i]);
        if (!name) {
            Refuse(url, QStringLiteral("its path has an empty, \".\" or \"..\" part, or one that "
                                       "cannot be a file name"));
        }
        relative += u'/' + *name;
    }
    return relative;
}

QString WebFolder::CopyPath(const QUrl& url) const {
    return root_ + u'/' + RelativePath(url);
}

QString WebFolder::RecordPath(const QString& relative) const {
    return root_ + u'/' + kRecords + u'/' + relative;
}

QString WebFolder::Keep(const CopyRecord& record, std::string_view body) const {
    const QString relative = RelativePath(record.url);
    const QString copy = root_ + u'/' + relative;
    WriteFile(copy, body);
    WriteFile(RecordPath(relative), record.url.toString(QUrl::FullyEncoded).toStdString() + "\n" +
                                        OneLine(record.etag) + "\n" + OneLine(record.lastModified) +
                                        "\n");
    return copy;
}

std::optional<CopyRecord> WebFolder::RecordOf(const QString& path) const {
    const QString relative =
        QDir(root_).relativeFilePath(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (relative.startsWith(QStringLiteral("..")) || relative.startsWith(u'_')) {
        return std::nullopt;
    }
    const std::vector<std::string> lines = LinesOf(ReadAll(RecordPath(relative)));
    if (lines.empty()) {
        return std::nullopt;
    }
    CopyRecord record{UrlOfLine(lines[0]), {}, {}};
    // A record that does not lead back to the same copy is no record of it.
    try {
        if (RelativePath(record.url) != relative) {
            return std::nullopt;
        }
    } catch (const EWebFailure&) {
        return std::nullopt;
    }
    record.etag = lines.size() > 1 ? lines[1] : std::string();
    record.lastModified = lines.size() > 2 ? lines[2] : std::string();
    return record;
}

SavedList WebFolder::LastList() const {
    const std::vector<std::string> lines = LinesOf(ReadAll(root_ + u'/' + kLastList));
    SavedList list;
    if (lines.empty()) {
        return list;
    }
    list.url = UrlOfLine(lines[0]);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        list.entries.push_back(UrlOfLine(lines[i]));
    }
    return list;
}

void WebFolder::SaveLastList(const SavedList& list) const {
    std::string text = list.url.toString(QUrl::FullyEncoded).toStdString() + "\n";
    for (const QUrl& entry : list.entries) {
        text += entry.toString(QUrl::FullyEncoded).toStdString() + "\n";
    }
    WriteFile(root_ + u'/' + kLastList, text);
}

} // namespace zintra
