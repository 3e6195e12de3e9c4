#include "web/WebFolder.h"

#include "tests/support/TestFolder.h"
#include "web/WebFailure.h"

#include <gtest/gtest.h>

namespace zintra {
namespace {

struct Address {
    const char* url;
    // The copy's path inside the web folder; empty when the address must be refused.
    const char* copy;
};

class CopyPlace : public testing::TestWithParam<Address> {};

TEST_P(CopyPlace, IsInsideTheWebFolderOrRefused) {
    const WebFolder folder(QStringLiteral("/srv/zintra/web"));
    const QUrl url(QString::fromUtf8(GetParam().url));
    const std::string expected = GetParam().copy;
    if (expected.empty()) {
        EXPECT_THROW(folder.CopyPath(url), EWebFailure);
    } else {
        EXPECT_EQ(folder.CopyPath(url).toStdString(), "/srv/zintra/web/" + expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, CopyPlace,
    testing::Values(Address{"http://Example.ORG/a/b.zin", "example.org/a/b.zin"},
                    Address{"http://h:8080/x.zin", "h_8080/x.zin"},
                    Address{"http://h:80/x.zin", "h/x.zin"},
                    Address{"http://h/%C3%A9t%C3%A9.zin", "h/\xc3\xa9t\xc3\xa9.zin"},
                    Address{"http://h/get?name=a", "h/get?name=a"}, Address{"https://h/x.zin", ""},
                    Address{"ftp://h/x.zin", ""}, Address{"http://h/", ""}, Address{"http://h", ""},
                    Address{"http://h/a//b.zin", ""}, Address{"http://h/%2e%2e/x.zin", ""},
                    Address{"http://h/a/%2E/x.zin", ""}, Address{"http://h/a%2Fb.zin", ""},
                    Address{"http://h/a%00b.zin", ""}, Address{"http://h/%FF.zin", ""},
                    Address{"http://h/a%0Ab.zin", ""}, Address{"http://[::1]/x.zin", ""},
                    Address{"http://_records/x.zin", ""}));

TEST(WebFolderCopies, AKeptCopyLeadsBackToItsAddressAndValidators) {
    TestFolder root;
    const WebFolder folder(QString::fromStdString(root.Path("web")));
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
    EXPECT_FALSE(folder.RecordOf(QString::fromStdString(root.Path("web/_last-list.txt"))));
}

TEST(WebFolderCopies, TheLastListIsKeptInItsOrder) {
    TestFolder root;
    const WebFolder folder = WebFolder::BesideSettings(root.Path("config.ini"));
    EXPECT_TRUE(folder.LastList().entries.empty());
    const SavedList list{QUrl("http://h/list.txt"),
                         {QUrl("http://h/b%20c.zin"), QUrl("http://h/a.zin")}};
    folder.SaveLastList(list);
    EXPECT_EQ(folder.LastList().url, list.url);
    EXPECT_EQ(folder.LastList().entries, list.entries);
    EXPECT_EQ(folder.Root().toStdString(), root.Path("web"));
}

} // namespace
} // namespace zintra
