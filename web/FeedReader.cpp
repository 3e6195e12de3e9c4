#include "web/FeedReader.h"

#include "web/FeedText.h"
#include "web/JsonFeed.h"

#include <QString>
#include <algorithm>
#include <libxml/parser.h>
#include <memory>
#include <utility>

namespace zintra {

namespace {

constexpr std::string_view kAtom = "http://www.w3.org/2005/Atom";
constexpr std::string_view kRss1 = "http://purl.org/rss/1.0/";
constexpr std::string_view kRdf = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr std::string_view kXml = "http://www.w3.org/XML/1998/namespace";
// Links, and the few numbers a feed gives, are short; a longer one is no use.
constexpr std::size_t kShortFieldLimit = 8 * 1024;
constexpr std::size_t kChunk = std::size_t(4) << 20;

enum class Format { Unknown, Rss2, Rss1, Atom };
enum class Field { None, Title, Link, Guid, Ttl, Summary };

std::string_view View(const xmlChar* text) {
    return text == nullptr ? std::string_view() : reinterpret_cast<const char*>(text);
}

QString QText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The attributes libxml2 hands a start tag: five pointers each (local name, prefix, namespace,
// value, end of value).
class Attributes {
public:
    Attributes(const xmlChar** values, int count) : values_(values), count_(count) {}

    std::string_view Get(std::string_view name, std::string_view space = {}) const {
        for (int i = 0; i < count_; ++i) {
            const xmlChar** attribute = values_ + 5 * i;
            if (View(attribute[0]) == name && View(attribute[2]) == space) {
                return {reinterpret_cast<const char*>(attribute[3]),
                        static_cast<std::size_t>(attribute[4] - attribute[3])};
            }
        }
        return {};
    }

private:
    const xmlChar** values_;
    int count_;
};

// Forbidden control bytes, which feeds carry now and then, would make the whole document
// unreadable: they go before it is parsed. UTF-16 and UTF-32 documents are left alone.
std::string_view WithoutControlBytes(std::string_view body, std::string& storage) {
    const auto forbidden = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
    };
    const std::string_view head = body.substr(0, 4);
    const bool wide = head.find('\0') != std::string_view::npos || head.starts_with("\xFE\xFF") ||
                      head.starts_with("\xFF\xFE");
    if (wide || std::none_of(body.begin(), body.end(), forbidden)) {
        return body;
    }
    storage.reserve(body.size());
    std::copy_if(body.begin(), body.end(), std::back_inserter(storage),
                 [&](char c) { return !forbidden(c); });
    return storage;
}

struct ContextFree {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

// Reads a feed document as libxml2's SAX parser hands it over, keeping no tree: stories are
// taken as they end, so a long feed costs what its stories cost, and reading stops at the
// limit. With `rootOnly` it stops at the first element and only tells the format.
class FeedParser {
public:
    FeedParser(const QUrl& address, bool rootOnly) : address_(address), rootOnly_(rootOnly) {}

    Format Parse(std::string_view body) {
        xmlSAXHandler sax{};
        sax.initialized = XML_SAX2_MAGIC;
        sax.startElementNs = StartElement;
        sax.endElementNs = EndElement;
        sax.characters = Characters;
        sax.cdataBlock = Characters;
        sax.internalSubset = InternalSubset;
        sax.entityDecl = EntityDecl;
        sax.serror = Error;
        std::string storage;
        body = WithoutControlBytes(body, storage);
        const std::size_t first = std::min<std::size_t>(body.size(), 4);
        const std::unique_ptr<xmlParserCtxt, ContextFree> context(
            xmlCreatePushParserCtxt(&sax, this, body.data(), static_cast<int>(first),
                                    address_.toString(QUrl::FullyEncoded).toUtf8().constData()));
        if (!context) {
            throw EFeedError("There is not enough memory to read the feed");
        }
        context_ = context.get();
        // No XML_PARSE_NOENT and no XML_PARSE_DTDLOAD: entities are never expanded, nothing
        // outside the document is read.
        xmlCtxtUseOptions(context_, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        body.remove_prefix(first);
        // A fatal error or a stop disables the callbacks: the rest need not be fed.
        do {
            const std::size_t size = std::min(body.size(), kChunk);
            xmlParseChunk(context_, body.data(), static_cast<int>(size),
                          size == body.size() ? 1 : 0);
            body.remove_prefix(size);
        } while (!body.empty() && context_->disableSAX == 0);
        wellFormed_ = context_->wellFormed != 0;
        // Entity declarations leave a document behind even without a tree being built.
        xmlFreeDoc(std::exchange(context_->myDoc, nullptr));
        return format_;
    }

    // Why the document is no feed that can be shown, or empty.
    std::string Failure() const {
        if (!refusal_.empty()) {
            return refusal_;
        }
        if (!wellFormed_ && !stopped_) {
            return error_.empty() ? "The feed is not well-formed XML" : error_;
        }
        if (format_ == Format::Unknown) {
            return "This is no feed";
        }
        if (feed_.items.empty()) {
            return "The feed has no stories";
        }
        return {};
    }

    Feed Take() { return std::move(feed_); }
    // The root element a document type declared, if any.
    const std::string& Doctype() const { return doctype_; }

private:
    static FeedParser& Of(void* self) { return *static_cast<FeedParser*>(self); }

    static void StartElement(void* self, const xmlChar* name, const xmlChar*, const xmlChar* space,
                             int, const xmlChar**, int count, int, const xmlChar** values) {
        Of(self).Start(View(name), View(space), Attributes(values, count));
    }
    static void EndElement(void* self, const xmlChar*, const xmlChar*, const xmlChar*) {
        Of(self).End();
    }
    static void Characters(void* self, const xmlChar* text, int length) {
        Of(self).Text({reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)});
    }
    static void InternalSubset(void* self, const xmlChar* name, const xmlChar*, const xmlChar*) {
        Of(self).doctype_ = View(name);
    }
    static void EntityDecl(void* self, const xmlChar*, int, const xmlChar*, const xmlChar* systemId,
                           xmlChar*) {
        if (systemId != nullptr) {
            Of(self).Refuse("The feed declares an entity to be read from " +
                            std::string(View(systemId)) + "; nothing outside a feed is read");
        } else {
            Of(self).Refuse("The feed declares entities of its own, which can expand without "
                            "bound (an entity bomb); a feed needs none");
        }
    }
    static void Error(void* self, xmlError* error) {
        FeedParser& parser = Of(self);
        if (error->level == XML_ERR_FATAL && parser.error_.empty() && !parser.stopped_) {
            std::string message = error->message != nullptr ? error->message : "";
            while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
                message.pop_back();
            }
            parser.error_ = "The feed is not well-formed XML (line " + std::to_string(error->line) +
                            ": " + message + ")";
        }
    }

    void Stop() {
        stopped_ = true;
        xmlStopParser(context_);
    }

    void Refuse(std::string why) {
        if (refusal_.empty()) {
            refusal_ = std::move(why);
        }
        Stop();
    }

    void Start(std::string_view name, std::string_view space, const Attributes& attributes) {
        ++depth_;
        if (attributes.Get("base", kXml).data() != nullptr) {
            bases_.emplace_back(depth_, Base().resolved(QUrl(QText(attributes.Get("base", kXml)))));
        }
        if (depth_ == 1) {
            Root(name, space);
            return;
        }
        if (field_ != Field::None) {
            return;
        }
        const int parent = depth_ - 1;
        if (itemDepth_ == 0 && IsItem(name, space, parent)) {
            itemDepth_ = depth_;
            story_ = Story();
            return;
        }
        if (format_ == Format::Rss2 && channelDepth_ == 0 && parent == 1 && name == "channel") {
            channelDepth_ = depth_;
            return;
        }
        if (format_ == Format::Rss1 && channelDepth_ == 0 && parent == 1 && name == "channel" &&
            space == kRss1) {
            channelDepth_ = depth_;
            return;
        }
        if ((parent == itemDepth_ || parent == channelDepth_) && space == space_) {
            StartField(name, attributes);
        }
    }

    void Root(std::string_view name, std::string_view space) {
        if (name == "rss" && space.empty()) {
            format_ = Format::Rss2;
        } else if (name == "RDF" && space == kRdf) {
            format_ = Format::Rss1;
            space_ = kRss1;
        } else if (name == "feed" && space == kAtom) {
            format_ = Format::Atom;
            space_ = kAtom;
            channelDepth_ = 1;
        } else if (name == "html" || name == "HTML") {
            Refuse("This is a web page, not a feed");
        } else {
            Refuse("This is no feed: its document is <" + std::string(name) + ">");
        }
        if (rootOnly_) {
            Stop();
        }
    }

    bool IsItem(std::string_view name, std::string_view space, int parent) const {
        switch (format_) {
        case Format::Rss2:
            return name == "item" && space.empty() && parent == channelDepth_ && parent != 0;
        case Format::Rss1:
            return name == "item" && space == kRss1 && parent == 1;
        case Format::Atom:
            return name == "entry" && space == kAtom && parent == 1;
        case Format::Unknown:
            break;
        }
        return false;
    }

    void StartField(std::string_view name, const Attributes& attributes) {
        const bool atom = format_ == Format::Atom;
        // RSS titles carry HTML as often as not; Atom says which it is.
        const std::string_view type = attributes.Get("type");
        const bool markup = !atom || type == "html" || type == "text/html";
        if (name == "title") {
            BeginCapture(Field::Title, markup);
        } else if (name == (atom ? "summary" : "description")) {
            BeginCapture(Field::Summary, markup);
        } else if (name == "link" && !atom) {
            BeginCapture(Field::Link, false);
        } else if (name == "link") {
            const std::string_view rel = attributes.Get("rel");
            if ((rel.empty() || rel == "alternate") && attributes.Get("href").data() != nullptr) {
                Link(itemDepth_ != 0 ? story_.link : feed_.link, attributes.Get("href"));
            }
        } else if (name == "guid" && format_ == Format::Rss2 && itemDepth_ != 0 &&
                   attributes.Get("isPermaLink") != "false") {
            BeginCapture(Field::Guid, false);
        } else if (name == "ttl" && format_ == Format::Rss2 && itemDepth_ == 0) {
            BeginCapture(Field::Ttl, false);
        }
    }

    void BeginCapture(Field field, bool markup) {
        field_ = field;
        fieldDepth_ = depth_;
        markup_ = markup;
        text_.clear();
    }

    void Text(std::string_view text) {
        if (field_ == Field::None) {
            return;
        }
        const std::size_t limit = field_ == Field::Title || field_ == Field::Summary
                                      ? kHeadlineSourceLimit
                                      : kShortFieldLimit;
        text_.append(text.substr(0, limit - std::min(limit, text_.size())));
    }

    void End() {
        if (field_ != Field::None && depth_ == fieldDepth_) {
            EndField();
        } else if (depth_ == itemDepth_) {
            EndItem();
        } else if (depth_ == channelDepth_) {
            channelDepth_ = 0;
        }
        if (!bases_.empty() && bases_.back().first == depth_) {
            bases_.pop_back();
        }
        --depth_;
    }

    void EndField() {
        const bool item = itemDepth_ != 0;
        switch (field_) {
        case Field::Title:
            if (item) {
                story_.title = text_;
                story_.markup = markup_;
            } else if (feed_.title.empty()) {
                feed_.title = PlainHeadline(text_, markup_);
            }
            break;
        case Field::Summary:
            if (item) {
                story_.summary = text_;
                story_.summaryMarkup = markup_;
            }
            break;
        case Field::Link:
            Link(item ? story_.link : feed_.link, text_);
            break;
        case Field::Guid:
            Link(story_.guid, text_);
            break;
        case Field::Ttl: {
            bool ok = false;
            const int minutes = QText(text_).trimmed().toInt(&ok);
            if (ok) {
                feed_.ttl = std::chrono::minutes(std::max(minutes, 0));
            }
            break;
        }
        case Field::None:
            break;
        }
        field_ = Field::None;
    }

    void EndItem() {
        itemDepth_ = 0;
        std::string title = PlainHeadline(story_.title, story_.markup);
        if (title.empty()) {
            title = PlainHeadline(story_.summary, story_.summaryMarkup);
        }
        if (title.empty()) {
            return;
        }
        feed_.items.push_back(
            {std::move(title), story_.link.isEmpty() ? story_.guid : story_.link});
        if (feed_.items.size() == kFeedItemLimit) {
            Stop();
        }
    }

    // Keeps the first http: or https: address a link gives.
    void Link(QUrl& link, std::string_view reference) {
        if (link.isEmpty()) {
            link = WebLink(Base(), QText(reference));
        }
    }

    const QUrl& Base() const { return bases_.empty() ? address_ : bases_.back().second; }

    struct Story {
        std::string title;
        bool markup = false;
        std::string summary;
        bool summaryMarkup = false;
        QUrl link;
        QUrl guid;
    };

    QUrl address_;
    bool rootOnly_;
    xmlParserCtxt* context_ = nullptr;
    Format format_ = Format::Unknown;
    // The namespace of the format's own elements.
    std::string_view space_;
    std::string doctype_;
    int depth_ = 0;
    int channelDepth_ = 0;
    int itemDepth_ = 0;
    // The xml:base in force from each depth on.
    std::vector<std::pair<int, QUrl>> bases_;
    Field field_ = Field::None;
    int fieldDepth_ = 0;
    bool markup_ = false;
    std::string text_;
    Story story_;
    Feed feed_;
    bool stopped_ = false;
    bool wellFormed_ = true;
    std::string refusal_;
    std::string error_;
};

std::string MediaType(std::string_view contentType) {
    return QText(contentType).section(u';', 0, 0).trimmed().toLower().toStdString();
}

bool StartsJson(std::string_view body) {
    const std::size_t first = body.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && body[first] == '{';
}

} // namespace

QUrl WebLink(const QUrl& base, const QString& reference) {
    const QString trimmed = reference.trimmed();
    if (trimmed.isEmpty()) {
        return {};
    }
    QUrl url = base.resolved(QUrl(trimmed));
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))) {
        return {};
    }
    return url;
}

bool IsFeed(std::string_view body, std::string_view contentType) {
    const std::string type = MediaType(contentType);
    if (type == "application/rss+xml" || type == "application/atom+xml" ||
        type == "application/feed+json") {
        return true;
    }
    if (type == "text/html" || type == "application/xhtml+xml") {
        return false;
    }
    if (StartsJson(body)) {
        return IsJsonFeed(body);
    }
    FeedParser parser(QUrl(), true);
    // A document type names the root before any entity is declared.
    const std::string_view root =
        parser.Parse(body) != Format::Unknown ? std::string_view("feed") : parser.Doctype();
    return root == "feed" || root == "rss" || root.ends_with(":RDF") || root == "RDF";
}

Feed ReadFeed(std::string_view body, const QUrl& address) {
    if (body.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        throw EFeedError("The document is empty");
    }
    if (StartsJson(body)) {
        return ReadJsonFeed(body, address);
    }
    FeedParser parser(address, false);
    parser.Parse(body);
    if (const std::string failure = parser.Failure(); !failure.empty()) {
        throw EFeedError(failure);
    }
    return parser.Take();
}

} // namespace zintra
