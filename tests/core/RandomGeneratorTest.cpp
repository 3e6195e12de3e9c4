#include "core/RandomGenerator.h"

#include <gtest/gtest.h>

using zintra::RandomGenerator;

TEST(RandomGenerator, AdvancesTheSeedBeforeEachDraw) {
    RandomGenerator random;
    random.Seed(0);
    EXPECT_EQ(random.Random(10), 0u);
    EXPECT_EQ(random.RandSeed(), 1u);
    EXPECT_EQ(random.Random(100), 3u); // 134775814 * 100 / 2^32
    EXPECT_EQ(random.RandSeed(), 134775814u);
}

TEST(RandomGenerator, WrapsModulo2To32AndStaysInRange) {
    RandomGenerator random;
    random.Seed(0xFFFFFFFFu);
    EXPECT_EQ(random.Random(1), 0u);
    EXPECT_EQ(random.RandSeed(), static_cast<std::uint32_t>(0xFFFFFFFFull * 134775813ull + 1));
    for (int i = 0; i < 1000; ++i) {
        EXPECT_LT(random.Random(7), 7u);
    }
    EXPECT_EQ(random.Random(0), 0u);
}
