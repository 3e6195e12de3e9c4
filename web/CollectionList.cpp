#include "web/CollectionList.h"

#include "web/WebAddress.h"

#include <algorithm>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace zintra {

namespace {

std::string LowerType(std::string_view contentType) {
    return QString::fromLatin1(contentType.data(), qsizetype(contentType.size()))
        .section(u';', 0, 0)
        .trimmed()
        .toLower()
        .toStdString();
}

// Where the text of `body` begins: after a byte order mark and blanks.
std::string_view TextStart(std::string_view body) {
    if (body.starts_with("\xEF\xBB\xBF")) {
        body.remove_prefix(3);
    }
    const auto first = body.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string_view() : body.substr(first);
}

// A list without a Content-Type is HTML when it opens with "<".
bool IsHtml(std::string_view body, std::string_view contentType) {
    return IsWebPage(body, contentType) ||
           (LowerType(contentType).empty() && TextStart(body).starts_with('<'));
}

bool NamesCollection(const QUrl& url) {
    return url.path().endsWith(QStringLiteral(".zin"), Qt::CaseInsensitive);
}

// The entries in their order, each once, whatever their number: a repeat is found by hashing.
class Entries {
public:
    explicit Entries(const QUrl& base) : base_(base) {}

    void Add(const QString& reference, bool htmlLink) {
        const QString trimmed = reference.trimmed();
        const QUrl relative(trimmed, QUrl::StrictMode);
        if (trimmed.isEmpty() || !relative.isValid()) {
            return;
        }
        QUrl url = relative.isRelative() ? base_.resolved(relative) : relative;
        url.setFragment(QString());
        if (!IsCollectionAddress(url) || (htmlLink && !NamesCollection(url)) ||
            !seen_.insert(url.toString(QUrl::FullyEncoded)).second) {
            return;
        }
        urls_.push_back(std::move(url));
    }

    std::vector<QUrl> Take() { return std::move(urls_); }

private:
    QUrl base_;
    std::vector<QUrl> urls_;
    std::unordered_set<QString> seen_;
};

struct DocumentFree {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

QString Attribute(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

bool Named(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

// Walks the tree in document order without recursion, so that a deep page costs no stack.
template <class Visit> void Walk(xmlNode* root, Visit visit) {
    xmlNode* node = root;
    while (node != nullptr) {
        visit(node);
        if (node->children != nullptr) {
            node = node->children;
            continue;
        }
        while (node != nullptr && node->next == nullptr) {
            node = node->parent == root->parent ? nullptr : node->parent;
        }
        if (node != nullptr) {
            node = node->next;
        }
    }
}

std::vector<QUrl> HtmlEntries(const QUrl& listUrl, std::string_view body) {
    // Lists may be read on several threads: the parser is set up once, before any of them.
    static const bool prepared = (xmlInitParser(), true);
    (void)prepared;
    const std::unique_ptr<xmlDoc, DocumentFree> document(htmlReadMemory(
        body.data(), int(std::min<std::size_t>(body.size(), INT32_MAX)),
        listUrl.toString(QUrl::FullyEncoded).toUtf8().constData(), nullptr,
        HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET));
    xmlNode* root = document ? xmlDocGetRootElement(document.get()) : nullptr;
    if (root == nullptr) {
        return {};
    }
    // A <base href> moves what relative links are taken against.
    QUrl base = listUrl;
    Walk(root, [&](xmlNode* node) {
        if (Named(node, "base") && base == listUrl) {
            base = listUrl.resolved(QUrl(Attribute(node, "href").trimmed()));
        }
    });
    Entries entries(base);
    Walk(root, [&](xmlNode* node) {
        if (Named(node, "a")) {
            entries.Add(Attribute(node, "href"), true);
        }
    });
    return entries.Take();
}

std::vector<QUrl> TextEntries(const QUrl& listUrl, std::string_view body) {
    Entries entries(listUrl);
    while (!body.empty()) {
        const std::size_t end = std::min(body.find('\n'), body.size());
        const QString line = QString::fromUtf8(body.data(), qsizetype(end)).trimmed();
        body.remove_prefix(std::min(end + 1, body.size()));
        if (!line.isEmpty() && !line.startsWith(u'#')) {
            entries.Add(line, false);
        }
    }
    return entries.Take();
}

} // namespace

std::vector<QUrl> ReadCollectionList(const QUrl& listUrl, std::string_view body,
                                     std::string_view contentType) {
    return IsHtml(body, contentType) ? HtmlEntries(listUrl, body) : TextEntries(listUrl, body);
}

bool IsWebPage(std::string_view body, std::string_view contentType) {
    const std::string type = LowerType(contentType);
    if (type == "text/html" || type == "application/xhtml+xml") {
        return true;
    }
    const std::string_view start = TextStart(body).substr(0, 14);
    const QByteArray opening = QByteArray(start.data(), qsizetype(start.size())).toLower();
    return opening.startsWith("<!doctype html") || opening.startsWith("<html");
}

QString CollectionName(const QUrl& url) {
    const QString name = url.fileName(QUrl::FullyDecoded);
    return name.isEmpty() ? url.toDisplayString() : name;
}

QStringList CollectionNames(const std::vector<QUrl>& urls) {
    QStringList names;
    names.reserve(qsizetype(urls.size()));
    std::unordered_map<QString, int> count;
    for (const QUrl& url : urls) {
        names.push_back(CollectionName(url));
        ++count[names.back()];
    }
    for (std::size_t i = 0; i < urls.size(); ++i) {
        QString& name = names[qsizetype(i)];
        if (count[name] > 1) {
            name +=
                QStringLiteral("  (") +
                urls[i].adjusted(QUrl::RemoveFilename | QUrl::RemoveUserInfo).toDisplayString() +
                u')';
        }
    }
    return names;
}

} // namespace zintra
