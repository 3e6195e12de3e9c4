#include "platform/StaticText.h"

#include <QImage>
#include <gtest/gtest.h>

using zintra::StaticText;

namespace {

QImage Shown(const QString& caption) {
    StaticText text(caption, nullptr);
    text.resize(369, 19);
    return text.grab().toImage();
}

} // namespace

TEST(StaticTextTest, ASingleAmpersandIsNotShown) {
    EXPECT_EQ(Shown("&"), Shown(""));
    EXPECT_EQ(Shown("ab&"), Shown("ab"));
}

TEST(StaticTextTest, ADoubledAmpersandShowsOne) {
    EXPECT_NE(Shown("&&"), Shown(""));
    EXPECT_NE(Shown("&&&&"), Shown("&&"));
    EXPECT_EQ(Shown("&&&"), Shown("&&"));
}
