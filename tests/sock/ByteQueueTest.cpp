#include "sock/ByteQueue.h"

#include <gtest/gtest.h>

namespace zintra {

TEST(ByteQueue, TakesFromTheFrontInArrivalOrder) {
    ByteQueue queue;
    queue.Append(std::string("ab\0c", 4));
    queue.Append("def");
    EXPECT_EQ(queue.Take(3), std::string("ab\0", 3));
    EXPECT_EQ(queue.Take(100), "cdef");
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.TakeAll(), "");
}

TEST(ByteQueue, PutsBytesBackInFrontOfThoseHeld) {
    ByteQueue queue;
    queue.Append("0123456789");
    queue.Drop(2);
    queue.Prepend("xy");
    EXPECT_EQ(queue.View(), "xy23456789");
    queue.Prepend("longer than the gap ");
    EXPECT_EQ(queue.TakeAll(), "longer than the gap xy23456789");
}

// Draining a large queue in small pieces must cost linear time: taken bytes are skipped, not
// moved on every call. A quadratic queue would need hours for this.
TEST(ByteQueue, DrainsTensOfMegabytesInSmallPieces) {
    ByteQueue queue;
    const std::string piece(1 << 20, 'z');
    for (int i = 0; i < 64; ++i) {
        queue.Append(piece);
    }
    std::size_t taken = 0;
    while (!queue.Empty()) {
        queue.Drop(4096);
        taken += 4096;
    }
    EXPECT_EQ(taken, 64u << 20);
}

} // namespace zintra
