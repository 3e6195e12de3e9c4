#include "platform/DisplayText.h"

#include <gtest/gtest.h>
#include <string>

struct DisplayCase {
    std::string bytes;
    std::u16string shown;
};

class DisplayTextTest : public testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayTextTest, ShowsUtf8AsUtf8AndOtherBytesAsWindows1252) {
    const QString shown = zintra::DisplayText(GetParam().bytes);
    EXPECT_EQ(shown, QString::fromStdU16String(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DisplayTextTest,
    testing::Values(DisplayCase{"Rome & Athens", u"Rome & Athens"},
                    DisplayCase{"caf\xC3\xA9", u"caf\u00E9"}, DisplayCase{"caf\xE9", u"caf\u00E9"},
                    DisplayCase{"\x80 \x93quoted\x94", u"\u20AC \u201Cquoted\u201D"},
                    DisplayCase{"\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
                    DisplayCase{"\xF0\x9F\x98\x80!", u"\U0001F600!"},
                    DisplayCase{"cut \xC3", u"cut \u00C3"},
                    DisplayCase{std::string("nul\0in", 6), std::u16string(u"nul\0in", 6)}));
