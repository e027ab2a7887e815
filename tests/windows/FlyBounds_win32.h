// Where a fly window may stand: within the work area, give or take how far a fly may overhang.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

namespace quillop::e2e {

constexpr int kOverhang = 20;

// Checks that a fly's window keeps within the work area, on every side of it.
inline void ExpectWithinWorkArea(const RECT& fly, const RECT& area) {
    EXPECT_GE(fly.left, area.left - kOverhang);
    EXPECT_GE(fly.top, area.top - kOverhang);
    EXPECT_LE(fly.right, area.right + kOverhang);
    EXPECT_LE(fly.bottom, area.bottom + kOverhang);
}

}  // namespace quillop::e2e
