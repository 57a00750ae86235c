#include <gtest/gtest.h>

#include "workspace/ViewNavigation.h"

using velmar::ViewBounds;
using velmar::ZoomStep;

namespace {
const ViewBounds kFitted{1, 1, 611, 540};
}

TEST(ViewNavigation, ZoomAboutThePointerWithSinglePrecisionFactors) {
  struct Case { int delta; ViewBounds expected; };
  const Case cases[] = {
      {120, {-30, -26, 672, 594}},
      {-120, {32, 28, 550, 486}},  // 305 x 0.9f is just below 274.5
      {30, {-30, -26, 672, 594}},  // one step whatever the rotation
      {240, {-30, -26, 672, 594}},
      {-1, {32, 28, 550, 486}},
  };
  for (const Case& c : cases) {
    const auto next = ZoomStep(kFitted, 305, 270, c.delta, 800, 620);
    ASSERT_TRUE(next) << c.delta;
    EXPECT_EQ(*next, c.expected) << c.delta;
  }
  EXPECT_FALSE(ZoomStep(kFitted, 305, 270, 0, 800, 620));
}

TEST(ViewNavigation, ShrinkingStopsAtTwentyPixels) {
  ViewBounds b{0, 0, 100, 21};
  auto next = ZoomStep(b, 0, 0, -120, 800, 600);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->height, 19);  // 21 x 0.9 = 18.9 rounds to 19
  EXPECT_FALSE(ZoomStep(*next, 0, 0, -120, 800, 600));
  EXPECT_FALSE(ZoomStep({0, 0, 20, 500}, 0, 0, -120, 800, 600));  // width at the limit
  // Zooming in still works from there.
  EXPECT_TRUE(ZoomStep(*next, 0, 0, 120, 800, 600));
}

TEST(ViewNavigation, GrowthStopsAtSixteenTimesTheClientOnEitherSide) {
  EXPECT_FALSE(ZoomStep({0, 0, 100, 16 * 600}, 0, 0, 120, 800, 600));
  EXPECT_FALSE(ZoomStep({0, 0, 16 * 800, 100}, 0, 0, 120, 800, 600));
  EXPECT_TRUE(ZoomStep({0, 0, 16 * 800 - 1, 16 * 600 - 1}, 0, 0, 120, 800, 600));
  // Shrinking is allowed from any size.
  EXPECT_TRUE(ZoomStep({0, 0, 16 * 800, 16 * 600}, 0, 0, -120, 800, 600));
}

TEST(ViewNavigation, NearestProductUsesTheExactFloatValue) {
  EXPECT_EQ(velmar::NearestProduct(305, 0.9f), 274);
  EXPECT_EQ(velmar::NearestProduct(305, 1.1f), 336);
  EXPECT_EQ(velmar::NearestProduct(-305, 1.1f), -336);
  EXPECT_EQ(velmar::NearestProduct(0, 1.1f), 0);
  EXPECT_EQ(velmar::NearestProduct(1000000000, 1.1f), 1100000024);  // no overflow in the product
}

TEST(ViewNavigation, DragKeepsTheGrabbedPointUnderThePointer) {
  EXPECT_EQ(velmar::DragTo({5, 6, 300, 200}, 100, 80, 40, 30), (ViewBounds{60, 50, 300, 200}));
  EXPECT_EQ(velmar::DragTo({5, 6, 300, 200}, 0, 0, 250, 150), (ViewBounds{-250, -150, 300, 200}));
}
