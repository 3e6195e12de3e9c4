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

// A file's name ends in ".zin" or in a bare "%", a folder's never in ".zin": no file ever stands
// where a folder must, and a query or an escaped "?" never meets a "/".
INSTANTIATE_TEST_SUITE_P(
    Addresses, CopyPlace,
    testing::Values(
        Address{"http://Example.ORG/a/b.zin", "example.org/a/b.zin"},
        Address{"http://h:8080/x.zin", "h_8080/x.zin"}, Address{"http://h:80/x", "h/x%"},
        Address{"http://h/a", "h/a%"}, Address{"http://h/a.zin/b.zin", "h/a.zin%/b.zin"},
        Address{"https://h/x.zin", "h_https/x.zin"},
        Address{"https://h:8443/x.ZIN", "h_https_8443/x.ZIN"},
        Address{"http://h/%C3%A9t%C3%A9.zin", "h/\xc3\xa9t\xc3\xa9.zin"},
        Address{"http://h/get?name=a", "h/get?name=a%"}, Address{"http://h/a?b/c", "h/a?b%2Fc%"},
        Address{"http://h/a%3Fb/c", "h/a%3Fb/c%"}, Address{"http://h/100%25.zin", "h/100%25.zin"},
        Address{"http://u:secret@h/x.zin", ""}, Address{"ftp://h/x", ""}, Address{"http://h/", ""},
        Address{"http://h", ""}, Address{"http://h/a//b", ""}, Address{"http://h/%2e%2e/x", ""},
        Address{"http://h/a/%2E/x", ""}, Address{"http://h/a%2Fb", ""},
        Address{"http://h/a%00b", ""}, Address{"http://h/%FF.zin", ""},
        Address{"http://h/a%0Ab", ""}, Address{"http://[::1]/x", ""},
        Address{"http://_records/x", ""}));

// The longest name kept leaves room for the temporary file it is written through.
TEST(WebFolderCopies, AnAddressAndTheOneBelowItAreBothKeptAndLongNamesFit) {
    TestFolder root;
    const WebFolder folder(QString::fromStdString(root.Path("web")));
    for (const char* address :
         {"http://h/a", "http://h/a/b.zin", "http://h/c.zin/d.zin", "http://h/c.zin"}) {
        EXPECT_TRUE(folder.Keep({QUrl(address), "", ""}, address)) << address;
    }
    const std::string longest(219, 'n');
    EXPECT_TRUE(
        folder.Keep({QUrl(QString::fromStdString("http://h/" + longest + ".zin")), "", ""}, "L\n"));
    EXPECT_THROW(folder.CopyPath(QUrl(QString::fromStdString("http://h/" + longest + "n.zin"))),
                 EWebFailure);
}

TEST(WebFolderCopies, AKeptCopyLeadsBackToItsAddressAndTheLastListKeepsItsOrder) {
    TestFolder root;
    const WebFolder folder = WebFolder::BesideSettings(root.Path("config.ini"));
    const QUrl url(QStringLiteral("http://127.0.0.1:8000/lists/a.zin"));
    ASSERT_TRUE(folder.Keep({url, "\"tag\"", "Mon, 01 Jan 2024 00:00:00 GMT"}, "A\nB\n"));
    const QString copy = folder.CopyPath(url);
    EXPECT_EQ(copy.toStdString(), root.Path("web/127.0.0.1_8000/lists/a.zin"));
    EXPECT_EQ(ReadBytes(copy.toStdString()), "A\nB\n");
    const std::optional<CopyRecord> record = folder.RecordOf(copy);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->url, url);
    EXPECT_EQ(record->etag, "\"tag\"");
    EXPECT_EQ(record->lastModified, "Mon, 01 Jan 2024 00:00:00 GMT");
    EXPECT_FALSE(folder.RecordOf(QString::fromStdString(root.Write("mine.zin", "M\n"))));

    // A password never reaches the disk; what can be no collection is not offered again.
    const SavedList list{QUrl("http://u:secret@h/list"),
                         {QUrl("http://h/b%20c.zin"), QUrl("http://h/a"), QUrl("ftp://h/f.zin"),
                          QUrl("http://h/folder/")}};
    folder.SaveLastList(list);
    EXPECT_EQ(ReadBytes(root.Path("web/_last-list.txt")).find("secret"), std::string::npos);
    EXPECT_EQ(folder.LastList().url, QUrl("http://h/list"));
    EXPECT_EQ(folder.LastList().entries,
              (std::vector<QUrl>{QUrl("http://h/b%20c.zin"), QUrl("http://h/a")}));
    EXPECT_FALSE(folder.RecordOf(QString::fromStdString(root.Path("web/_last-list.txt"))));
}

} // namespace
} // namespace zintra
