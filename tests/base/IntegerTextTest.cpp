#include "base/IntegerText.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

using namespace zintra;

namespace {

struct Valid {
    std::string text;
    std::int32_t value;
};

class IntegerTextValid : public testing::TestWithParam<Valid> {};

TEST_P(IntegerTextValid, Converts) {
    EXPECT_EQ(StrToInt(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IntegerTextValid,
    testing::Values(Valid{"110", 110}, Valid{" 250", 250}, Valid{"   -7", -7}, Valid{"+5", 5},
                    Valid{"0", 0}, Valid{"-0", 0}, Valid{"007", 7}, Valid{"$FA", 250},
                    Valid{"$fa", 250}, Valid{"xff", 255}, Valid{"XFF", 255}, Valid{"0x10", 16},
                    Valid{"0X10", 16}, Valid{"-$10", -16}, Valid{"2147483647", 2147483647},
                    Valid{"-2147483648", -2147483647 - 1}, Valid{"$7FFFFFFF", 2147483647},
                    Valid{"$FFFFFFFF", -1}, Valid{"$80000000", -2147483647 - 1},
                    Valid{"$000000001", 1}));

class IntegerTextInvalid : public testing::TestWithParam<std::string> {};

TEST_P(IntegerTextInvalid, FailsWithTheTextQuoted) {
    try {
        StrToInt(GetParam());
        FAIL() << "converted";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), "'" + GetParam() + "' is not a valid integer value");
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, IntegerTextInvalid,
                         testing::Values("", "   ", "250 ", "250ms", "+", "-", "+-5", "--5", "$",
                                         "0x", "x", "$G", "1.5", "2147483648", "-2147483649",
                                         "$100000000", "\t5", "5\t", "0x-5",
                                         "99999999999999999999"));

} // namespace
