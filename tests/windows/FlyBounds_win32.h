// Where a fly window may stand: within the work area, give or take how far a fly may overhang.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

namespace quillop::e2e {

constexpr int kOverhang = 20;

// Checks that a fly's window keeps within a work area of that size.
inline void ExpectWithinWorkArea(const RECT& fly, LONG width, LONG height) {
    EXPECT_GE(fly.left, -kOverhang);
    EXPECT_GE(fly.top, -kOverhang);
    EXPECT_LE(fly.right, width + kOverhang);
    EXPECT_LE(fly.bottom, height + kOverhang);
}

}  // namespace quillop::e2e
