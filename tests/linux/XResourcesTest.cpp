#include <gtest/gtest.h>

#include "clFly/x11/XcbDesktop.h"

namespace quillop {
namespace {

TEST(XResources, XftDpiIsTheLastValidDefinition) {
    EXPECT_EQ(XftDpiOf("Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n"), 192.0);
    EXPECT_EQ(XftDpiOf("Xft.dpi:\t96\nXft.dpi: 144"), 144.0);
    EXPECT_EQ(XftDpiOf("Xft.dpix:\t192\n*dpi:\t192\nXft.dpi:\tlarge\n"), 0.0);
    EXPECT_EQ(XftDpiOf(""), 0.0);
}

}  // namespace
}  // namespace quillop
