#include <gtest/gtest.h>

#include "TestPictures.h"
#include "imaging/Tone.h"

namespace velmar {
namespace {

using testing::Gray;
using testing::PixelAt;
using testing::Rgb;
using testing::Uniform;

struct OffsetCase {
  int amount;
  int offset;
};

TEST(AdjustBrightness, OffsetsByAmount) {
  const OffsetCase cases[] = {{1, 3},    {2, 6},    {3, 8},    {4, 11},    {10, 26},   {40, 101},  {100, 251},
                              {-1, -1},  {-2, -4},  {-3, -6},  {-4, -9},   {-10, -24}, {-40, -99}, {-100, -249}};
  for (const auto& c : cases) {
    EXPECT_EQ(ToneOffset(c.amount), c.offset) << "amount " << c.amount;
    // Seen on the picture, from the end that leaves room for the offset.
    const int base = c.offset > 0 ? 0 : 255;
    Picture p = Uniform(2, 1, Gray(base));
    AdjustBrightness(p, c.amount);
    EXPECT_EQ(PixelAt(p, 1, 0).g, base + c.offset) << "amount " << c.amount;
  }
}

TEST(AdjustBrightness, ZeroLeavesThePictureAlone) {
  Picture p = testing::MakePicture({{{1, 2, 3}, {250, 251, 252}}});
  const Picture before = p;
  AdjustBrightness(p, 0);
  EXPECT_EQ(p, before);
}

TEST(AdjustBrightness, FullAmountsClampAtTheEnds) {
  Picture up = testing::MakePicture({{{0, 3, 4}, {249, 250, 255}}});
  AdjustBrightness(up, 100);
  EXPECT_EQ(PixelAt(up, 0, 0).r, 251);
  EXPECT_EQ(PixelAt(up, 0, 0).g, 254);
  EXPECT_EQ(PixelAt(up, 0, 0).b, 255);
  EXPECT_EQ(PixelAt(up, 1, 0).r, 255);

  Picture down = testing::MakePicture({{{249, 250, 255}, {0, 1, 248}}});
  AdjustBrightness(down, -100);
  EXPECT_EQ(PixelAt(down, 0, 0).r, 0);
  EXPECT_EQ(PixelAt(down, 0, 0).g, 1);
  EXPECT_EQ(PixelAt(down, 0, 0).b, 6);
  EXPECT_EQ(PixelAt(down, 1, 0).b, 0);
}

TEST(AdjustRGB, ZeroAmountsStillAddOne) {
  Picture p = testing::MakePicture({{{0, 0, 0}, {255, 255, 255}, {254, 10, 0}}});
  AdjustRGB(p, 0, 0, 0);
  EXPECT_EQ(PixelAt(p, 0, 0).r, 1);
  EXPECT_EQ(PixelAt(p, 0, 0).g, 1);
  EXPECT_EQ(PixelAt(p, 0, 0).b, 1);
  EXPECT_EQ(PixelAt(p, 1, 0).r, 255);
  EXPECT_EQ(PixelAt(p, 1, 0).g, 255);
  EXPECT_EQ(PixelAt(p, 1, 0).b, 255);
  EXPECT_EQ(PixelAt(p, 2, 0).r, 255);
  EXPECT_EQ(PixelAt(p, 2, 0).g, 11);
}

TEST(AdjustRGB, EachChannelTakesItsOwnAmount) {
  struct Case {
    int red, green, blue;
    Rgb in, out;
  };
  const Case cases[] = {
      {1, 0, -1, {100, 100, 100}, {103, 101, 99}},
      {100, -100, 0, {100, 100, 100}, {255, 0, 101}},
      {-1, 2, 40, {0, 0, 0}, {0, 6, 101}},
      {-40, 10, -2, {200, 200, 200}, {101, 226, 196}},
  };
  for (const auto& c : cases) {
    Picture p = Uniform(3, 2, c.in);
    AdjustRGB(p, c.red, c.green, c.blue);
    const Rgb got = PixelAt(p, 2, 1);
    EXPECT_EQ(got.r, c.out.r) << c.red << "," << c.green << "," << c.blue;
    EXPECT_EQ(got.g, c.out.g) << c.red << "," << c.green << "," << c.blue;
    EXPECT_EQ(got.b, c.out.b) << c.red << "," << c.green << "," << c.blue;
  }
}

TEST(AdjustContrast, ChannelValuesByAmount) {
  struct Case {
    int amount, in, out;
  };
  const Case cases[] = {
      {7, 138, 144},   // f just below 1.7: 10 * f truncates to 16
      {2, 28, 9},      // f just below 1.2: -100 * f truncates to -119
      {-9, 138, 134},  // f just below 0.7
      {10, 100, 72},   {10, 200, 255}, {100, 130, 150}, {100, 140, 255},
      {-25, 100, 114}, {-25, 27, 78},  {-100, 0, 128},  {-100, 255, 128},
      {1, 128, 128},   {1, 0, 0},      {-1, 255, 242},
  };
  for (const auto& c : cases) {
    Picture p = Uniform(1, 1, Gray(c.in));
    AdjustContrast(p, c.amount);
    EXPECT_EQ(PixelAt(p, 0, 0).b, c.out) << "amount " << c.amount << ", value " << c.in;
  }
}

TEST(AdjustContrast, ZeroLeavesThePictureAlone) {
  Picture p = testing::MakePicture({{{1, 2, 3}, {200, 100, 0}}});
  const Picture before = p;
  AdjustContrast(p, 0);
  EXPECT_EQ(p, before);
}

TEST(AdjustContrast, AllChannelsShareThePivot) {
  Picture p = testing::MakePicture({{{10, 128, 250}}});
  AdjustContrast(p, 10);
  EXPECT_EQ(PixelAt(p, 0, 0).r, 0);
  EXPECT_EQ(PixelAt(p, 0, 0).g, 128);
  EXPECT_EQ(PixelAt(p, 0, 0).b, 255);
}

}  // namespace
}  // namespace velmar
