#include <gtest/gtest.h>

#include <vector>

#include "TestPictures.h"
#include "imaging/Effects.h"

namespace velmar {
namespace {

using testing::Gray;
using testing::PixelAt;
using testing::Rgb;
using testing::Uniform;
using Grid = std::vector<std::vector<int>>;

// Red and green hold the grid, blue is zero everywhere: the channels are
// averaged each by itself.
Picture FromGrid(const Grid& grid) {
  Picture p(static_cast<int>(grid[0].size()), static_cast<int>(grid.size()));
  for (int y = 0; y < p.height(); ++y)
    for (int x = 0; x < p.width(); ++x) {
      p.row(y)[3 * x] = 0;
      p.row(y)[3 * x + 1] = static_cast<std::uint8_t>(grid[y][x]);
      p.row(y)[3 * x + 2] = static_cast<std::uint8_t>(grid[y][x]);
    }
  return p;
}

Grid ChannelGrid(const Picture& p, int Rgb::*channel) {
  Grid grid;
  for (int y = 0; y < p.height(); ++y) {
    std::vector<int> row;
    for (int x = 0; x < p.width(); ++x) row.push_back(PixelAt(p, x, y).*channel);
    grid.push_back(row);
  }
  return grid;
}

struct GridCase {
  const char* name;
  void (*routine)(Picture&);
  Grid in, out;
};

TEST(Effects, WorkedExamples) {
  const GridCase cases[] = {
      {"blur 3 x 2", EffectBlur, {{255, 0, 0}, {0, 0, 0}}, {{63, 31, 31}, {63, 31, 31}}},
      {"blur 4 x 3",
       EffectBlur,
       {{255, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
       {{63, 31, 15, 15}, {23, 15, 11, 11}, {23, 15, 11, 11}}},
      {"noise blur 4 x 3",
       EffectNoiseBlur,
       {{255, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
       {{63, 31, 15, 15}, {63, 31, 15, 15}, {0, 0, 0, 0}}},
      {"pixelize 5 x 3",
       EffectPixelize,
       {{255, 0, 0, 0, 9}, {0, 0, 0, 0, 9}, {7, 7, 7, 7, 7}},
       {{63, 63, 0, 0, 9}, {63, 63, 0, 0, 9}, {7, 7, 7, 7, 7}}},
      {"fog 2 x 3", EffectFog, {{0, 0}, {0, 0}, {0, 60}}, {{10, 10}, {10, 10}, {10, 10}}},
      {"fog 3 x 4",
       EffectFog,
       {{255, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
       {{42, 21, 21}, {21, 17, 17}, {21, 17, 17}, {21, 17, 17}}},
  };
  for (const auto& c : cases) {
    Picture p = FromGrid(c.in);
    c.routine(p);
    EXPECT_EQ(ChannelGrid(p, &Rgb::r), c.out) << c.name;
    EXPECT_EQ(ChannelGrid(p, &Rgb::g), c.out) << c.name;
    EXPECT_EQ(ChannelGrid(p, &Rgb::b), Grid(c.out.size(), std::vector<int>(c.out[0].size(), 0))) << c.name;
  }
}

TEST(EffectColorDepth, LevelsOnAUniformPicture) {
  struct Case {
    int level;
    Rgb out;
  };
  const Case cases[] = {
      {97, {110, 95, 95}},    // only red is still above 97 once it has gained 10
      {0, {100, 100, 100}},   // all three steps apply and cancel
      {255, {100, 100, 100}}, // none applies
      {99, {110, 95, 95}},
      {100, {100, 100, 100}},
  };
  // One block per row pair: wider pictures cascade the tinted result on.
  for (const auto& c : cases) {
    Picture p = Uniform(2, 4, Gray(100));
    EffectColorDepth(static_cast<std::uint8_t>(c.level), p);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 2; ++x) {
        const Rgb got = PixelAt(p, x, y);
        EXPECT_EQ(got.r, c.out.r) << "level " << c.level;
        EXPECT_EQ(got.g, c.out.g) << "level " << c.level;
        EXPECT_EQ(got.b, c.out.b) << "level " << c.level;
      }
  }
}

TEST(EffectColorDepth, TintIsClamped) {
  // Red 255 gains 10 and stays 255; green and blue 2 lose 5 and stop at 0.
  Picture p = Uniform(3, 2, {255, 2, 2});
  EffectColorDepth(200, p);
  const Rgb got = PixelAt(p, 1, 1);
  EXPECT_EQ(got.r, 255);
  EXPECT_EQ(got.g, 0);
  EXPECT_EQ(got.b, 0);
}

TEST(EffectSepia, Depths) {
  struct Case {
    int depth;
    Rgb out;
  };
  const Case cases[] = {{20, {100, 80, 60}}, {200, {255, 255, 60}}, {0, {60, 60, 60}}, {100, {255, 160, 60}}};
  for (const auto& c : cases) {
    Picture p = Uniform(2, 1, {30, 60, 90});
    EffectSepia(p, c.depth);
    const Rgb got = PixelAt(p, 1, 0);
    EXPECT_EQ(got.r, c.out.r) << "depth " << c.depth;
    EXPECT_EQ(got.g, c.out.g) << "depth " << c.depth;
    EXPECT_EQ(got.b, c.out.b) << "depth " << c.depth;
  }
}

TEST(EffectGaussBlur, CountsRepeatTheBlur) {
  const Picture source = FromGrid({{255, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}});
  for (int count : {0, -3}) {
    Picture p = source;
    EffectGaussBlur(count, p);
    EXPECT_EQ(p, source) << "count " << count;
  }
  Picture twice = source;
  EffectBlur(twice);
  EffectBlur(twice);
  Picture gauss = source;
  EffectGaussBlur(2, gauss);
  EXPECT_EQ(gauss, twice);
  EXPECT_EQ(ChannelGrid(gauss, &Rgb::r), (Grid{{33, 23, 18, 18}, {23, 18, 16, 16}, {23, 18, 16, 16}}));
}

TEST(Effects, ThinPicturesPassUnchangedButSepia) {
  void (*const routines[])(Picture&) = {
      EffectBlur,
      EffectNoiseBlur,
      [](Picture& p) { EffectGaussBlur(3, p); },
      EffectFog,
      [](Picture& p) { EffectColorDepth(50, p); },
      EffectPixelize,
  };
  const Picture thin[] = {
      testing::MakePicture({{{1, 2, 3}}, {{200, 100, 50}}, {{9, 8, 7}}, {{255, 0, 255}}}),
      testing::MakePicture({{{1, 2, 3}, {200, 100, 50}, {9, 8, 7}, {255, 0, 255}}}),
      testing::MakePicture({{{1, 2, 3}}}),
  };
  for (const Picture& source : thin) {
    for (auto routine : routines) {
      Picture p = source;
      routine(p);
      EXPECT_EQ(p, source) << source.width() << " x " << source.height();
    }
    Picture sepia = source;
    EffectSepia(sepia, 20);
    EXPECT_NE(sepia, source);
  }
  // Fog needs three rows.
  const Picture twoRows = FromGrid({{255, 0, 7}, {0, 0, 9}});
  Picture fog = twoRows;
  EffectFog(fog);
  EXPECT_EQ(fog, twoRows);
}

}  // namespace
}  // namespace velmar
