#include "web/WebFolder.h"

#include "base/AtomicFile.h"
#include "web/WebAddress.h"
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
// A file is written as NAME.tmp-PID-N beside it and renamed: its name leaves room for that.
constexpr qsizetype kTemporaryRoom = 32;

[[noreturn]] void Refuse(const QUrl& url, const QString& why) {
    throw EWebFailure(AddressText(url) +
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

// The bytes of `text`, with "%" and each of `more` written as %XX: the names of two different
// texts differ.
QByteArray Escaped(const QByteArray& text, std::string_view more) {
    QByteArray name;
    for (const char c : text) {
        if (c == '%' || more.find(c) != std::string_view::npos) {
            name += '%' + QByteArray::number(static_cast<unsigned char>(c), 16).toUpper();
        } else {
            name += c;
        }
    }
    return name;
}

// One segment of the path, percent-decoded, as a file or folder name: plain UTF-8, with "?"
// escaped, so that only a query's "?" stands in a name.
std::optional<QByteArray> SegmentName(const QString& encoded) {
    const QByteArray bytes = QByteArray::fromPercentEncoding(encoded.toLatin1());
    if (bytes.isEmpty() || bytes == "." || bytes == ".." ||
        QString::fromUtf8(bytes).toUtf8() != bytes) {
        return std::nullopt;
    }
    for (const char c : bytes) {
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return std::nullopt;
        }
    }
    return Escaped(bytes, "?");
}

bool EndsAsCollection(const QByteArray& name) {
    return name.toLower().endsWith(".zin");
}

// A name that ends in ".zin" is a file's, any other a folder's; the rest are marked with a bare
// "%" (which no escaped name ends in), so that a file and a folder never share a name.
QByteArray FolderName(QByteArray name) {
    return EndsAsCollection(name) ? name + '%' : name;
}

QByteArray FileName(QByteArray name, const QUrl& url) {
    if (url.hasQuery()) {
        return name + '?' + Escaped(url.query(QUrl::FullyEncoded).toLatin1(), "/") + '%';
    }
    return EndsAsCollection(name) ? name : name + '%';
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
    RequireWebAddress(url);
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    if (!SafeHost(host)) {
        Refuse(url, QStringLiteral("the host name cannot name a folder"));
    }
    const bool https = url.scheme() == QStringLiteral("https");
    QString relative = https ? host + QStringLiteral("_https") : host;
    if (url.port(https ? 443 : 80) != (https ? 443 : 80)) {
        relative += u'_' + QString::number(url.port());
    }
    const QStringList segments = url.path(QUrl::FullyEncoded).split(u'/');
    // The path begins with "/"; every segment after it names a folder or, the last, the file.
    if (segments.size() < 2 || !segments.front().isEmpty()) {
        Refuse(url, QStringLiteral("it names no file"));
    }
    if (segments.back().isEmpty()) {
        throw EWebFailure(AddressText(url) +
                          " - This is a folder's address: it gives a list of collections, not a "
                          "collection");
    }
    for (qsizetype i = 1; i < segments.size(); ++i) {
        std::optional<QByteArray> name = SegmentName(segments[i]);
        if (!name) {
            Refuse(url, QStringLiteral("its path has an empty, \".\" or \"..\" part, or one that "
                                       "cannot be a file name"));
        }
        const bool file = i + 1 == segments.size();
        *name = file ? FileName(*name, url) : FolderName(*name);
        if (name->size() > (file ? kNameMax - kTemporaryRoom : kNameMax)) {
            Refuse(url, QStringLiteral("a part of its path is too long for a file name"));
        }
        relative += u'/' + QString::fromUtf8(*name);
    }
    return relative;
}

QString WebFolder::CopyPath(const QUrl& url) const {
    return root_ + u'/' + RelativePath(url);
}

QString WebFolder::RecordPath(const QString& relative) const {
    return root_ + u'/' + kRecords + u'/' + relative;
}

bool WebFolder::Keep(const CopyRecord& record, std::string_view body) const {
    const QString relative = RelativePath(record.url);
    const QString copy = root_ + u'/' + relative;
    const bool changed = !QFileInfo(copy).isFile() || ReadAll(copy) != body;
    if (changed) {
        WriteFile(copy, body);
    }
    const std::string recordText = AddressText(record.url) + "\n" + OneLine(record.etag) + "\n" +
                                   OneLine(record.lastModified) + "\n";
    if (changed || ReadAll(RecordPath(relative)) != recordText) {
        WriteFile(RecordPath(relative), recordText);
    }
    return changed;
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
    // A list kept by an earlier version may name what is no collection.
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (QUrl entry = UrlOfLine(lines[i]); IsCollectionAddress(entry)) {
            list.entries.push_back(std::move(entry));
        }
    }
    return list;
}

std::string WebFolder::ListText(const SavedList& list) {
    std::string text = AddressText(list.url) + "\n";
    for (const QUrl& entry : list.entries) {
        text += AddressText(entry) + "\n";
    }
    return text;
}

void WebFolder::SaveLastList(const std::string& text) const {
    WriteFile(root_ + u'/' + kLastList, text);
}

} // namespace zintra
