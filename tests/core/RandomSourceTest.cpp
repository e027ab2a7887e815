// The shared generator against values worked out by hand with 64-bit arithmetic.
#include <gtest/gtest.h>

#include "clFly/RandomSource.h"
#include "fakes/FakePlatform.h"

namespace quillop {
namespace {

TEST(RandomSourceTest, SequenceFromZeroMatchesKnownValues) {
    RandomSource random;
    EXPECT_EQ(random.State(), 0u);
    const struct {
        std::int32_t n;
        std::uint32_t state;
        std::int32_t result;
    } expected[] = {
        {8, 1u, 0},
        {100, 134775814u, 3},
        {3, 3698175007u, 2},
        {10, 870078620u, 2},
        {1000, 1172187917u, 272},
        {5000, 2884733762u, 3358},
        {1, 1368768587u, 0},
        {2147483647, 694906232u, 347453115},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(random.Random(e.n), e.result);
        EXPECT_EQ(random.State(), e.state);
    }
}

TEST(RandomSourceTest, ResultsStayBelowNForLargeStates) {
    RandomSource random;
    random.SetState(0xDEADBEEF);
    EXPECT_EQ(random.Random(100), 37);
    EXPECT_EQ(random.State(), 0x5F4FF6ACu);
    for (int i = 0; i < 10000; ++i) {
        const int r = random.Random(7);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 7);
    }
}

TEST(RandomSourceTest, RandomizeTakesTheCounterLowBitsOrTheTickCount) {
    testing::FixedClock clock;
    RandomSource random;
    clock.counter = 0xABCDEF0112345678ull;
    random.Randomize(clock);
    EXPECT_EQ(random.State(), 0x12345678u);
    clock.counter.reset();
    clock.ticks = 987654;
    random.Randomize(clock);
    EXPECT_EQ(random.State(), 987654u);
}

}  // namespace
}  // namespace quillop
