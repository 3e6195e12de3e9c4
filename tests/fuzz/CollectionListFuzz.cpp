// Lists of collections: any bytes, read as text or HTML, name each entry once, each the address
// of a file over http: or https: without a password that reads back as itself from the list
// kept on disk; a text list names them in the order of its lines.
#include "tests/fuzz/FuzzSupport.h"
#include "web/CollectionList.h"
#include "web/WebAddress.h"

#include <algorithm>
#include <set>

using namespace zintra;

namespace {

const QUrl kList(QStringLiteral("http://h:8000/lists/index"));

// The entries of a text list, read line by line the plain way.
std::vector<QUrl> PlainTextEntries(std::string_view body) {
    std::vector<QUrl> entries;
    std::size_t start = 0;
    while (start < body.size()) {
        const std::size_t end = std::min(body.find('\n', start), body.size());
        const QString line =
            QString::fromUtf8(body.data() + start, qsizetype(end - start)).trimmed();
        start = end + 1;
        const QUrl reference(line, QUrl::StrictMode);
        if (line.isEmpty() || line.startsWith(u'#') || !reference.isValid()) {
            continue;
        }
        QUrl url = kList.resolved(reference);
        url.setFragment(QString());
        if (IsCollectionAddress(url) &&
            std::find(entries.begin(), entries.end(), url) == entries.end()) {
            entries.push_back(url);
        }
    }
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static const char* const kTypes[] = {"text/plain", "text/html; charset=utf-8", ""};
    const std::string_view type = kTypes[data[0] % 3];
    const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::vector<QUrl> entries = ReadCollectionList(kList, body, type);
    std::set<QString> seen;
    for (const QUrl& entry : entries) {
        Require(IsCollectionAddress(entry) && !entry.hasFragment(),
                "each entry is the address of a file over http: or https:");
        Require(QUrl(QString::fromStdString(AddressText(entry)), QUrl::StrictMode) == entry,
                "each entry reads back as itself from the list kept");
        Require(seen.insert(entry.toString(QUrl::FullyEncoded)).second, "each entry once");
    }
    if (type == "text/plain" && !IsWebPage(body, type)) {
        Require(entries == PlainTextEntries(body), "a text list in the order of its lines");
    }
    return 0;
}
