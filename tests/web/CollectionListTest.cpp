#include "web/CollectionList.h"

#include <gtest/gtest.h>

namespace zintra {
namespace {

struct ListCase {
    const char* name;
    std::string body;
    std::string contentType;
    std::vector<std::string> urls;
};

class ListReading : public testing::TestWithParam<ListCase> {};

TEST_P(ListReading, NamesTheCollectionsInOrderWithoutRepeats) {
    const ListCase& list = GetParam();
    std::vector<std::string> urls;
    for (const QUrl& url :
         ReadCollectionList(QUrl("http://h:8000/lists/index"), list.body, list.contentType)) {
        urls.push_back(url.toString(QUrl::FullyEncoded).toStdString());
    }
    EXPECT_EQ(urls, list.urls);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListReading,
    testing::Values(
        ListCase{
            "Text",
            "# today's\r\n\r\n  a.zin \r\nsub/b.txt\nhttp://other/c.zin\na.zin\n#x.zin\n",
            "text/plain",
            {"http://h:8000/lists/a.zin", "http://h:8000/lists/sub/b.txt", "http://other/c.zin"}},
        ListCase{"FolderIndex",
                 "<!DOCTYPE HTML><html><body><ul><li><a href=\"..\">..</a>"
                 "<li><a href=\"caf%C3%A9.zin\">caf\xc3\xa9.zin</a><li><a href=\"notes.txt\">n</a>"
                 "<li><a href=\"/top.ZIN#x\">t</a><li><a href=\"caf%C3%A9.zin\">again</a>"
                 "<li><a href=\"q.zin?v=1&amp;w=2\">q</a></ul>",
                 "text/html; charset=utf-8",
                 {"http://h:8000/lists/caf%C3%A9.zin", "http://h:8000/top.ZIN",
                  "http://h:8000/lists/q.zin?v=1&w=2"}},
        ListCase{"BaseAndBrokenMarkup",
                 "<html><head><base href=\"/shared/\"></head><p><a href=x.zin>x<a href='y.zin'",
                 "",
                 {"http://h:8000/shared/x.zin", "http://h:8000/shared/y.zin"}},
        ListCase{"HtmlIsNotReadAsText", "<p>a.zin</p>", "text/html", {}},
        ListCase{"HtmlBytesAreHtmlWhateverTheType",
                 "\xEF\xBB\xBF <!doctype HTML><a href=b.zin>b</a>\nc.zin",
                 "text/plain",
                 {"http://h:8000/lists/b.zin"}},
        ListCase{"OnlyFilesOverHttpWithoutPasswords",
                 "sub/\n/\nftp://h/a.zin\nfile:///x.zin\nmailto:a@h\nhttp://u:secret@h/a.zin\n"
                 "https://h/a.zin\n",
                 "text/plain",
                 {"https://h/a.zin"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CollectionNames, AreTheDecodedFileNamesAndThoseSharedSayWhereTheyAre) {
    EXPECT_EQ(
        CollectionNames({QUrl("http://h/x/caf%C3%A9%20talk.zin"), QUrl("http://h/a/q.zin"),
                         QUrl("http://g:81/q.zin?v=2")}),
        (QStringList{QStringLiteral("caf\u00e9 talk.zin"), QStringLiteral("q.zin  (http://h/a/)"),
                     QStringLiteral("q.zin  (http://g:81/?v=2)")}));
}

} // namespace
} // namespace zintra
