#include "window/qt/twip_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace quenor::ui::qt {
namespace {

TEST(TwipScale, CoordinatesRoundToTheNearestPixel) {
    struct Case {
        double dpi;
        int twips;
        int pixels;
    };
    const Case cases[] = {
        {96, 0, 0},      {96, 15, 1},      {96, 7, 0},       {96, 8, 1},  // 7.5 twips is half
        {96, 6300, 420}, {96, 6465, 431},  {144, 6465, 647},              // 646.5 rounds up
        {144, 15, 2},    {120, 1440, 120}, {192, 135, 18},   {96, -15, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TwipScale(c.dpi).toPixels(c.twips), c.pixels)
            << c.twips << " twips at " << c.dpi << " dpi";
    }
}

TEST(TwipScale, NeighbouringRectanglesShareTheirEdge) {
    // Edges are converted, not sizes: at 144 dpi a row of 735-twip controls would drift by
    // half a pixel per control if widths were rounded on their own.
    const TwipScale scale(144);
    int left = 0;
    for (int i = 0; i < 6; ++i) {
        const QRect here = scale.toPixels(TwipRect{left, 0, 735, 255});
        const QRect next = scale.toPixels(TwipRect{left + 735, 0, 735, 255});
        EXPECT_EQ(here.x() + here.width(), next.x()) << "control " << i;
        EXPECT_NEAR(here.width(), 73.5, 0.5);
        left += 735;
    }
    // 37.5 pixels high: the bottom edge 625.5 rounds up.
    EXPECT_EQ(scale.toPixels(TwipRect{360, 5880, 1335, 375}), QRect(36, 588, 134, 38));
}

TEST(TwipScale, FontSizesInWholePixelsRoundedDown) {
    struct Case {
        double dpi;
        double points;
        int pixels;
    };
    const Case cases[] = {{96, 8.25, 11},  {96, 14.25, 19}, {96, 6.75, 9},   {96, 11.25, 15},
                          {144, 8.25, 16}, {144, 9, 18},    {120, 8.25, 13}, {120, 6.75, 11},
                          {96, 8, 11},     {120, 8, 13},    {96, 0.1, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(TwipScale(c.dpi).fontPixels(c.points), c.pixels)
            << c.points << " pt at " << c.dpi << " dpi";
    }
}

TEST(TwipScale, RefusesADensityThatIsNotAPositiveNumber) {
    for (const double dpi : {0.0, -96.0, std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity()}) {
        EXPECT_THROW(TwipScale{dpi}, std::invalid_argument) << dpi;
    }
}

}  // namespace
}  // namespace quenor::ui::qt
