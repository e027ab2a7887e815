// The rules of the Linux fly windows that need no display: how often the flies take the top
// back, and how a cut is made coarser.
#include <gtest/gtest.h>

#include <vector>

#include "clFly/x11/FlyStacking.h"
#include "clFly/x11/ShapeMask.h"

namespace quillop {
namespace {

TEST(RestackBudgetTest, GivesWayPastFiveASecondAndTakesTheTopBackLater) {
    RestackBudget budget;
    for (int i = 0; i < RestackBudget::kMaxPerSecond; ++i) {
        EXPECT_TRUE(budget.Take(i * 10));
    }
    EXPECT_FALSE(budget.Take(100));
    EXPECT_FALSE(budget.Take(999));
    EXPECT_EQ(budget.FreeAt(), 1000);
    // The first restack ages out a second after it ran, and only that one.
    EXPECT_TRUE(budget.Take(1000));
    EXPECT_FALSE(budget.Take(1005));
    EXPECT_TRUE(budget.Take(1010));
}

// Rows of '#' (set) and '.' (clear) as one byte a pixel.
std::vector<std::uint8_t> Mask(const std::vector<std::string>& rows) {
    std::vector<std::uint8_t> bits;
    for (const std::string& row : rows) {
        for (const char c : row) {
            bits.push_back(c == '#');
        }
    }
    return bits;
}

TEST(CoarsenCutTest, MakesRowsAlikeOnlyWhereThatCostsAtMostAPixelARow) {
    const std::vector<std::uint8_t> original = Mask({
        "..####..",  // 4
        ".#####..",  // 5: joins the first row at the cost of one pixel
        "..####..",  // 4
        "#......#",  // nothing in common with the band above: a band of its own
        "........",
    });
    std::vector<std::uint8_t> bits = original;
    CoarsenCut(bits, 8, 5);
    EXPECT_EQ(bits, Mask({"..####..", "..####..", "..####..", "#......#", "........"}));
    for (std::size_t i = 0; i < bits.size(); ++i) {
        EXPECT_LE(bits[i], original[i]) << "a pixel was added at " << i;
    }
}

TEST(CoarsenCutTest, KeepsAThinDiagonalThatWouldVanish) {
    const std::vector<std::uint8_t> leg = Mask({"#....", ".#...", "..#..", "...#."});
    std::vector<std::uint8_t> bits = leg;
    CoarsenCut(bits, 5, 4);
    EXPECT_EQ(bits, leg);
}

}  // namespace
}  // namespace quillop
