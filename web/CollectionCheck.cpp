#include "web/CollectionCheck.h"

#include "core/CollectionErrors.h"
#include "core/CollectionFile.h"
#include "core/TextAssembly.h"
#include "web/CollectionList.h"
#include "web/WebFailure.h"

#include <new>

namespace zintra {

namespace {

// The bar reads a file a buffer at a time; the bytes are read the same way.
constexpr std::size_t kReadSize = 64 * 1024;

} // namespace

void CheckCollection(const QUrl& url, std::string_view body, std::string_view contentType) {
    if (IsWebPage(body, contentType)) {
        const std::size_t listed = ReadCollectionList(url, body, contentType).size();
        if (listed > 0) {
            throw EWebFailure("This address gives a list of " + std::to_string(listed) +
                              " collections, not a collection");
        }
        throw EWebFailure("The server sent a web page, not a collection");
    }
    if (body.empty()) {
        throw EWebFailure("The server sent an empty file, not a collection");
    }
    const std::string doesNotLoad = "It does not load as a collection: ";
    try {
        RandomGenerator random;
        TextAssembly assembly(random);
        CollectionFile lines{TextFile(body, kReadSize)};
        assembly.Measure(lines);
        std::string text;
        assembly.Assemble(lines, text);
    } catch (const std::bad_alloc&) {
        throw EWebFailure(doesNotLoad + ECollectionTooLarge().Message());
    } catch (const Exception& failure) {
        throw EWebFailure(doesNotLoad + failure.Message());
    }
}

} // namespace zintra
