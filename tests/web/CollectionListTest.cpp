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
        ListCase{"HtmlIsNotReadAsText", "<p>a.zin</p>", "text/html", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CollectionNames, AreTheDecodedFileNames) {
    EXPECT_EQ(CollectionName(QUrl("http://h/x/caf%C3%A9%20talk.zin")),
              QStringLiteral("caf\u00e9 talk.zin"));
}

} // namespace
} // namespace zintra
