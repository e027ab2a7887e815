// The rules of fly windows that the program stacks itself: when and how often the flies take
// the top back, and how a cut is made coarser.
#include <gtest/gtest.h>

#include <vector>

#include "clFly/ShapeMask.h"
#include "clFly/StackingRules.h"

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

using Role = StackRole;
using Ids = std::vector<std::uint32_t>;

TEST(FliesToRaiseTest, RaisesTheTopMostFliesOnlyWhenSomethingThatHidesThemStandsAbove) {
    const StackedWindow desktop{1, Role::Other, true};
    const StackedWindow firstFly{10, Role::TopMostFly};
    const StackedWindow secondFly{11, Role::TopMostFly};
    const StackedWindow editor{2, Role::Other, true};
    const StackedWindow menu{3, Role::Other, false};
    const StackedWindow lowerFly{12, Role::LowerFly};
    const StackedWindow hiddenFly{13, Role::HiddenFly};
    using Stack = std::vector<StackedWindow>;
    // All of them, in their own order, when a window that covers comes between or above.
    EXPECT_EQ(FliesToRaise(Stack{desktop, firstFly, editor, secondFly}), (Ids{10, 11}));
    EXPECT_EQ(FliesToRaise(Stack{firstFly, secondFly, lowerFly}), (Ids{10, 11}));
    // Menus and hidden flies above, and anything below the lowest of them, hide nothing.
    EXPECT_EQ(FliesToRaise(Stack{desktop, lowerFly, firstFly, secondFly, menu, hiddenFly}), Ids{});
    EXPECT_EQ(FliesToRaise(Stack{desktop, editor}), Ids{});
    // A fly that is not top-most stands just above the highest window that covers.
    EXPECT_EQ(LowerFliesAnchor(Stack{desktop, editor, firstFly, menu}), 2u);
    EXPECT_EQ(LowerFliesAnchor(Stack{menu, firstFly}), 0u);
}

TEST(IsCoveredFlyTest, OnlyAWindowRaisedAfterTheFlyWasLoweredAndOverlappingItCoversIt) {
    const Rect fly{100, 100, 40, 40};
    const std::vector<RaisedWindow> later{{{0, 0, 101, 101}, 500}};
    EXPECT_TRUE(IsCoveredFly(fly, 400, later));
    // Raised before the fly was put above it, or at the same moment: the fly stays above.
    EXPECT_FALSE(IsCoveredFly(fly, 500, later));
    EXPECT_FALSE(IsCoveredFly(fly, 600, later));
    // Edges that only touch do not overlap.
    const std::vector<RaisedWindow> beside{
        {{0, 0, 100, 300}, 500}, {{140, 100, 50, 40}, 500}, {{100, 140, 40, 10}, 500}};
    EXPECT_FALSE(IsCoveredFly(fly, 400, beside));
    EXPECT_FALSE(IsCoveredFly(fly, 400, {}));
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
