#include "web/WebFolder.h"

#include "tests/support/TestFolder.h"
#include "web/WebFailure.h"

#include <gtest/gtest.h>

namespace zintra {
namespace {

// An address, and its copy's path inside the web folder; empty when it must be refused.
using Address = std::pair<const char*, const char*>;

class CopyPlace : public testing::TestWithParam<Address> {};

TEST_P(CopyPlace, IsInsideTheWebFolderOrRefused) {
    const WebFolder folder(QStringLiteral("/srv/zintra/web"));
    const QUrl url(QString::fromUtf8(GetParam().first));
    if (std::string(GetParam().second).empty()) {
        EXPECT_THROW(folder.CopyPath(url), EWebFailure);
    } else {
        EXPECT_EQ(folder.CopyPath(url).toStdString(),
                  "/srv/zintra/web/" + std::string(GetParam().second));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, CopyPlace,
    testing::Values(Address{"http://Example.ORG/a/b.zin", "example.org/a/b.zin"},
                    Address{"http://h:8080/x.zin", "h_8080/x.zin"}, Address{"http://h:80/x", "h/x"},
                    Address{"http://h/%C3%A9t%C3%A9.zin", "h/\xc3\xa9t\xc3\xa9.zin"},
                    Address{"http://h/get?name=a", "h/get?name=a"}, Address{"gopher://h/x", ""},
                    Address{"ftp://h/x", ""}, Address{"http://h/", ""}, Address{"http://h", ""},
                    Address{"http://h/a//b", ""}, Address{"http://h/%2e%2e/x", ""},
                    Address{"http://h/a/%2E/x", ""}, Address{"http://h/a%2Fb", ""},
                    Address{"http://h/a%00b", ""}, Address{"http://h/%FF.zin", ""},
                    Address{"http://h/a%0Ab", ""}, Address{"http://[::1]/x", ""},
                    Address{"http://_records/x", ""}));

TEST(WebFolderCopies, AKeptCopyLeadsBackToItsAddressAndTheLastListKeepsItsOrder) {
    TestFolder root;
    const WebFolder folder = WebFolder::BesideSettings(root.Path("config.ini"));
    const QUrl url(QStringLiteral("http://127.0.0.1:8000/lists/a.zin"));
    const QString copy = folder.Keep({url, "\"tag\"", "Mon, 01 Jan 2024 00:00:00 GMT"}, "A\nB\n");
    EXPECT_EQ(copy.toStdString(), root.Path("web/127.0.0.1_8000/lists/a.zin"));
    EXPECT_EQ(ReadBytes(copy.toStdString()), "A\nB\n");
    const std::optional<CopyRecord> record = folder.RecordOf(copy);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->url, url);
    EXPECT_EQ(record->etag, "\"tag\"");
    EXPECT_EQ(record->lastModified, "Mon, 01 Jan 2024 00:00:00 GMT");
    EXPECT_FALSE(folder.RecordOf(QString::fromStdString(root.Write("mine.zin", "M\n"))));

    const SavedList list{QUrl("http://h/list"), {QUrl("http://h/b%20c.zin"), QUrl("http://h/a")}};
    folder.SaveLastList(list);
    EXPECT_EQ(folder.LastList().url, list.url);
    EXPECT_EQ(folder.LastList().entries, list.entries);
    EXPECT_FALSE(folder.RecordOf(QString::fromStdString(root.Path("web/_last-list.txt"))));
}

} // namespace
} // namespace zintra
