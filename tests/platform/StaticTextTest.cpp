#include "StaticText.h"

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

TEST(StaticTextTest, NeverResizesToItsText) {
    StaticText text(QString(300, 'W'), nullptr);
    text.setGeometry(0, 0, 369, 19);
    text.SetCaption(QString(400, 'W'));
    EXPECT_EQ(text.size(), QSize(369, 19));
}
