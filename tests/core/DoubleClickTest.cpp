// Which presses of the left button make double clicks.
#include <gtest/gtest.h>

#include "clFly/DoubleClick.h"

namespace quillop {
namespace {

constexpr std::uint32_t kFly = 0x400001;
constexpr std::uint32_t kOtherFly = 0x400002;

TEST(DoubleClickTest, PairsTwoPressesSoonAndNearOnOneWindow) {
    DoubleClick clicks({400, 5});
    EXPECT_FALSE(clicks.Press(kFly, 1000, 100, 100));
    EXPECT_TRUE(clicks.Press(kFly, 1400, 105, 95));
    // A third press starts a new pair, which the fourth completes.
    EXPECT_FALSE(clicks.Press(kFly, 1500, 100, 100));
    EXPECT_TRUE(clicks.Press(kFly, 1600, 100, 100));
}

TEST(DoubleClickTest, RefusesAPairTooLateTooFarOrOnAnotherWindow) {
    DoubleClick clicks({400, 5});
    EXPECT_FALSE(clicks.Press(kFly, 1000, 100, 100));
    EXPECT_FALSE(clicks.Press(kFly, 1401, 100, 100));
    EXPECT_FALSE(clicks.Press(kFly, 1500, 106, 100));
    EXPECT_FALSE(clicks.Press(kFly, 1600, 106, 94));
    EXPECT_FALSE(clicks.Press(kOtherFly, 1700, 106, 94));
    // Each refused press still opens a pair of its own.
    EXPECT_TRUE(clicks.Press(kOtherFly, 1800, 106, 94));
}

TEST(DoubleClickTest, PairsAcrossTheWrapOfTheServerClock) {
    DoubleClick clicks({400, 5});
    EXPECT_FALSE(clicks.Press(kFly, 0xFFFFFF00u, 10, 10));
    EXPECT_TRUE(clicks.Press(kFly, 0x40u, 10, 10));
}

}  // namespace
}  // namespace quillop
