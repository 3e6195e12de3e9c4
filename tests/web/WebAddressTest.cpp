#include "web/WebAddress.h"

#include "web/WebFailure.h"

#include <gtest/gtest.h>

namespace zintra {
namespace {

// What a user types, and the address read from it; empty when it must be refused.
using Typed = std::pair<const char*, const char*>;

class TypedAddress : public testing::TestWithParam<Typed> {};

TEST_P(TypedAddress, IsReadAsABrowserReadsItOrRefusedWithoutItsPassword) {
    const auto [text, address] = GetParam();
    try {
        EXPECT_EQ(ReadAddress(QString::fromUtf8(text)).toString().toStdString(), address);
    } catch (const EWebFailure& failure) {
        EXPECT_EQ(std::string(address), "") << failure.Message();
        EXPECT_EQ(failure.Message().find("secret"), std::string::npos) << failure.Message();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypedAddress,
    testing::Values(Typed{"127.0.0.1:18002", "http://127.0.0.1:18002"},
                    Typed{" example.org/list ", "http://example.org/list"},
                    Typed{"localhost:8000/a.zin", "http://localhost:8000/a.zin"},
                    Typed{"http:/host/x.zin", "http://host/x.zin"},
                    Typed{"HTTPS:///host/x.zin", "https://host/x.zin"}, Typed{"ftp://h/x.zin", ""},
                    Typed{"file:///x.zin", ""}, Typed{"mailto:a@h", ""}, Typed{"http://", ""},
                    Typed{"http://user:secret@h/x.zin", ""}, Typed{"user:secret@h/x.zin", ""}));

TEST(AddressMessages, SayHowAnAddressBeginsAndNameNoPassword) {
    EXPECT_THROW(ReadAddress(QStringLiteral("ftp://h/x.zin")), EWebFailure);
    try {
        ReadAddress(QStringLiteral("ftp://h/x.zin"));
    } catch (const EWebFailure& failure) {
        EXPECT_EQ(failure.Message(), "ftp://h/x.zin - An address begins with http:// or https://");
    }
    EXPECT_EQ(AddressText(QUrl("http://u:secret@h/a.zin")), "http://h/a.zin");
    EXPECT_TRUE(ReadsAsAddress(QStringLiteral("http:/h/x.zin")));
    EXPECT_FALSE(ReadsAsAddress(QStringLiteral("lists/http:/x.zin")));
}

} // namespace
} // namespace zintra
