#include "core/ErrorText.h"

#include <gtest/gtest.h>

using zintra::ErrorBoxText;

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterCharactersSortingAfterIt) {
    EXPECT_EQ(ErrorBoxText("Disk full"), "Disk full.");
    EXPECT_EQ(ErrorBoxText("I/O error 5"), "I/O error 5.");
    EXPECT_EQ(ErrorBoxText("List index out of bounds (2)"), "List index out of bounds (2)");
    EXPECT_EQ(ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(ErrorBoxText("Dash-"), "Dash-");
    EXPECT_EQ(ErrorBoxText("Slash/"), "Slash/.");
    EXPECT_EQ(ErrorBoxText("caf\xc3\xa9"), "caf\xc3\xa9.");
    EXPECT_EQ(ErrorBoxText(""), "");
}
