#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestPictures.h"
#include "imaging/Dither.h"

namespace velmar {
namespace {

using testing::Gray;
using testing::PixelAt;
using testing::Rgb;
using testing::Uniform;

// Rows as text: '#' black, '.' white, '?' anything else.
std::vector<std::string> Pattern(const Picture& p) {
  std::vector<std::string> rows;
  for (int y = 0; y < p.height(); ++y) {
    std::string row;
    for (int x = 0; x < p.width(); ++x) {
      const Rgb c = PixelAt(p, x, y);
      if (c.r == 0 && c.g == 0 && c.b == 0) {
        row += '#';
      } else if (c.r == 255 && c.g == 255 && c.b == 255) {
        row += '.';
      } else {
        row += '?';
      }
    }
    rows.push_back(row);
  }
  return rows;
}

// One channel of every pixel, row by row.
std::vector<std::vector<int>> Channel(const Picture& p, int Rgb::*channel) {
  std::vector<std::vector<int>> rows;
  for (int y = 0; y < p.height(); ++y) {
    std::vector<int> row;
    for (int x = 0; x < p.width(); ++x) row.push_back(PixelAt(p, x, y).*channel);
    rows.push_back(row);
  }
  return rows;
}

using Rows = std::vector<std::string>;

TEST(DitherPatterns, UniformPictures) {
  struct Case {
    const char* name;
    void (*routine)(Picture&);
    Rgb color;
    Rows expected;
  };
  const Rows checkerboard = {".#.#.#.#", "#.#.#.#.", ".#.#.#.#", "#.#.#.#."};
  const Case cases[] = {
      {"Floyd-Steinberg at gray 128", DitherFloydSteinberg, Gray(128), checkerboard},
      {"FS matrix at gray 128", DitherFSMatrix4x4, Gray(128), checkerboard},
      {"Floyd-Steinberg at gray 64", DitherFloydSteinberg, Gray(64),
       {"########", "#.#.#.#.", "########", "#.#.#.#."}},
      {"matrix 2x2 at gray 128", DitherMatrix2x2, Gray(128), checkerboard},
      {"matrix 3x3 at gray 254", DitherMatrix3x3, Gray(254), {".#..#..#", "........", "........", ".#..#..#"}},
      {"matrix 4x4 at gray 254", DitherMatrix4x4, Gray(254), {"........", "........", "........", "#...#..."}},
      {"matrix 3x3 at gray 255", DitherMatrix3x3, Gray(255), {"........", "........", "........", "........"}},
      {"matrix 4x4 at gray 255", DitherMatrix4x4, Gray(255), {"........", "........", "........", "........"}},
      {"matrix 2x2 at gray 0", DitherMatrix2x2, Gray(0), {"########", "########", "########", "########"}},
      {"matrix 2x2 at gray 96", DitherMatrix2x2, Gray(96), {".#.#.#.#", "#.#.#.#.", ".#.#.#.#", "#.#.#.#."}},
      {"matrix 2x2 at gray 222", DitherMatrix2x2, Gray(222), {"..", "..", "..", ".."}},
  };
  for (const auto& c : cases) {
    const int w = static_cast<int>(c.expected[0].size());
    Picture p = Uniform(w, static_cast<int>(c.expected.size()), c.color);
    c.routine(p);
    EXPECT_EQ(Pattern(p), c.expected) << c.name;
  }
}

TEST(DitherPatterns, EachFamilyUsesItsOwnWeightedGray) {
  // (0, 218, 0): 151 G gives gray 128, 150 G gives 127.
  Picture fs = Uniform(1, 1, {0, 218, 0});
  DitherFloydSteinberg(fs);
  EXPECT_EQ(Pattern(fs), Rows{"."});

  // (220, 0, 255): 76 R + 30 B gives gray 95, 76 R + 29 B gives 94; white
  // exactly where the Matrix4x4 entry is 95 or less.
  Picture m = Uniform(4, 4, {220, 0, 255});
  DitherMatrix4x4(m);
  EXPECT_EQ(Pattern(m), (Rows{".#.#", "#.##", ".#.#", "###."}));
}

TEST(DitherPatterns, SinglePixelFloydSteinberg) {
  struct Case {
    Rgb color;
    const char* expected;  // weighted gray FS in the comment
  };
  const Case cases[] = {
      {Gray(128), "."},     // 128
      {Gray(127), "#"},     // 127
      {Gray(255), "."},     // 255
      {Gray(0), "#"},       // 0
      {{0, 218, 0}, "."},   // 128
      {{0, 217, 0}, "#"},   // 127
      {{255, 0, 255}, "#"}, // 104
  };
  for (const auto& c : cases) {
    Picture p = Uniform(1, 1, c.color);
    DitherFloydSteinberg(p);
    EXPECT_EQ(Pattern(p), Rows{c.expected}) << c.color.r << "," << c.color.g << "," << c.color.b;
  }
}

TEST(MakeBinary, LevelsAtTheEnds) {
  // Average grays 0, 1, 128, 254, 255.
  const Picture source = testing::MakePicture({{Gray(0), {1, 1, 2}, {100, 128, 156}, {254, 254, 255}, Gray(255)}});
  struct Case {
    int level, mode;
    const char* expected;
  };
  const Case cases[] = {
      {0, 0, "....."}, {0, 1, "#...."}, {0, 2, "....."},
      {255, 0, "####."}, {255, 1, "#####"}, {255, 7, "####."},
      {128, 0, "##..."}, {128, 1, "###.."}, {1, 1, "##..."},
  };
  for (const auto& c : cases) {
    Picture p = source;
    MakeBinary(static_cast<std::uint8_t>(c.level), static_cast<std::uint8_t>(c.mode), p);
    EXPECT_EQ(Pattern(p), Rows{c.expected}) << "level " << c.level << ", mode " << c.mode;
  }
}

TEST(MakeGrayScale, AverageOfTheThreeChannels) {
  Picture p = testing::MakePicture({{{30, 60, 90}, {255, 255, 254}, {1, 0, 0}}});
  MakeGrayScale(p);
  EXPECT_EQ(Channel(p, &Rgb::r), (std::vector<std::vector<int>>{{60, 254, 0}}));
  EXPECT_EQ(Channel(p, &Rgb::g), Channel(p, &Rgb::r));
  EXPECT_EQ(Channel(p, &Rgb::b), Channel(p, &Rgb::r));
}

TEST(DitherLevels, UniformGrayPictures) {
  using Grid = std::vector<std::vector<int>>;
  const std::vector<int> alternating = {96, 112, 96, 112, 96, 112, 96, 112};
  const std::vector<int> backRow = {112, 112, 112, 112, 112, 112, 112, 96};
  const std::vector<int> flat96(8, 96);

  Picture p110 = Uniform(8, 4, Gray(110));
  DitherLevels(p110, 0, 255, 255);
  EXPECT_EQ(Channel(p110, &Rgb::g), (Grid{alternating, backRow, alternating, backRow}));

  Picture p100 = Uniform(8, 4, Gray(100));
  DitherLevels(p100, 0, 255, 255);
  EXPECT_EQ(Channel(p100, &Rgb::r), (Grid{flat96, flat96, flat96, flat96}));

  Picture two = Uniform(8, 4, Gray(100));
  DitherLevels(two, 0, 255, 8);
  const Grid levels = Channel(two, &Rgb::b);
  EXPECT_EQ(levels[1][0], 128);
  for (const auto& row : levels) {
    for (std::size_t x = 0; x < row.size(); ++x) {
      EXPECT_TRUE(row[x] == 0 || row[x] == 128);
      if (x > 0) {
        EXPECT_NE(row[x], row[x - 1]);
      }
    }
  }
}

TEST(DitherLevels, MasksWithoutBitsFourToSevenGiveBlack) {
  for (int dither : {0, 240, 256}) {
    Picture p = testing::MakePicture({{{255, 128, 3}, {90, 200, 17}}, {{0, 1, 2}, {250, 251, 252}}});
    DitherLevels(p, 0, 255, dither);
    EXPECT_EQ(Pattern(p), (Rows{"##", "##"})) << "dither " << dither;
  }
}

TEST(DitherLevels, EachChannelOnItsOwn) {
  // A colour picture gives, channel by channel, what a gray picture of that
  // channel's value gives.
  Picture color = Uniform(9, 5, {110, 100, 37});
  DitherLevels(color, 0, 255, 255);
  for (auto [channel, value] : {std::pair{&Rgb::r, 110}, std::pair{&Rgb::g, 100}, std::pair{&Rgb::b, 37}}) {
    Picture gray = Uniform(9, 5, Gray(value));
    DitherLevels(gray, 0, 255, 255);
    EXPECT_EQ(Channel(color, channel), Channel(gray, &Rgb::r)) << "value " << value;
  }
}

TEST(DitherLevels, ClampBeforeTheMask) {
  // Min 100 clamps 30 up to 100, the mask 0xF0 then takes it down to 96:
  // the result may end below Min. Min above Max gives Min below it, else Max.
  Picture p = Uniform(3, 1, Gray(30));
  DitherLevels(p, 100, 200, 255);
  EXPECT_EQ(Channel(p, &Rgb::r), (std::vector<std::vector<int>>{{96, 96, 96}}));

  Picture crossed = testing::MakePicture({{Gray(10), Gray(10)}});
  DitherLevels(crossed, 200, 50, 255);
  // First pixel: 10 < 200 gives 200 (masked 192); its error -182 * 7 / 16
  // pulls the next one far below 200 again.
  EXPECT_EQ(Channel(crossed, &Rgb::r), (std::vector<std::vector<int>>{{192, 192}}));
}

}  // namespace
}  // namespace velmar
