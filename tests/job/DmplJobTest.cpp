#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/DmplJob.h"
#include "tests/TestPictures.h"

using namespace velmar;
using velmar::testing::Gray;
using velmar::testing::MakePicture;
using velmar::testing::Uniform;

namespace {

std::vector<std::string> Lines(const JobText& job) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < job.lineCount(); ++i) out.emplace_back(job.line(i));
  return out;
}

// The run lines only (header and the three closing lines dropped).
std::vector<std::string> Runs(const JobText& job) {
  auto all = Lines(job);
  return {all.begin() + 1, all.end() - 3};
}

const Picture kFourPixels = MakePicture({{Gray(0), Gray(128), Gray(170), Gray(255)}});

}  // namespace

TEST(DmplJob, OneRowTwoPassesWorkedExample) {
  const JobText job = CompileDmpl(kFourPixels, 10, 2);
  const std::vector<std::string> expected = {
      ";:H ECN A U  ",
      "U5,0 D5,0 D5,30 U5,30 ",
      "U10,30 D10,30 D10,20 U10,20 ",
      "U10,10 D10,10 D10,0 U10,0 ",
      "U0,10000 ",
      "U0,0 ",
      "UF @    ",
  };
  EXPECT_EQ(Lines(job), expected);
  EXPECT_EQ(job.textBytes(), job.joined().size());
}

TEST(DmplJob, TwoRowsOnePassAlternateDirection) {
  const Picture two = MakePicture({{Gray(0), Gray(128), Gray(170), Gray(255)},
                                   {Gray(0), Gray(128), Gray(170), Gray(255)}});
  const std::vector<std::string> expected = {"U10,0 D10,0 D10,20 U10,20 ",
                                             "U20,20 D20,20 D20,0 U20,0 "};
  EXPECT_EQ(Runs(CompileDmpl(two, 10, 1)), expected);
}

TEST(DmplJob, EmptyPictureGivesHeaderAndClosingLines) {
  const std::vector<std::string> expected = {";:H ECN A U  ", "U0,10000 ", "U0,0 ", "UF @    "};
  EXPECT_EQ(Lines(CompileDmpl(Picture(), 1, 1)), expected);
  EXPECT_EQ(Lines(CompileDmpl(Picture(0, 5), 3, 7)), expected);
}

TEST(DmplJob, BurnStepAndPassOffsetTables) {
  const std::pair<int, int> steps[] = {{1, 127}, {2, 85}, {3, 63}, {4, 51}, {5, 42}, {10, 23},
                                       {50, 5},  {100, 2}, {127, 1}, {254, 1}, {255, 0}};
  for (auto [n, t] : steps) EXPECT_EQ(BurnStep(n), t) << "N " << n;

  struct Case { int p, n, o; };
  const Case offsets[] = {{1, 2, 0}, {3, 2, 2}, {5, 2, 2}, {7, 2, 4}, {10, 3, 3},
                          {10, 4, 2}, {1, 1, 1}, {100, 1, 100}, {2, 4, 0}, {6, 4, 2},
                          {10, 20, 0}, {30, 20, 2}, {100, 255, 0}, {99, 66, 2}};
  for (const Case& c : offsets) EXPECT_EQ(PassOffset(c.p, c.n), c.o) << "P " << c.p << " N " << c.n;
}

TEST(DmplJob, PassOffsetZeroPutsBothPassesOnTheRow) {
  // P 1, N 2: offset 0, so both passes of row y are at Y = y.
  const Picture black = Uniform(1, 2, Gray(0));
  const std::vector<std::string> expected = {"U0,0 D0,0 D0,1 U0,1 ", "U0,1 D0,1 D0,0 U0,0 ",
                                             "U1,0 D1,0 D1,1 U1,1 ", "U1,1 D1,1 D1,0 U1,0 "};
  EXPECT_EQ(Runs(CompileDmpl(black, 1, 2)), expected);
}

TEST(DmplJob, DirectionParityFollowsTheJobWidePassCounter) {
  // Every pixel black: one run per pass, over the whole row. A forward run
  // starts at X 0, a reverse one at X P * W.
  auto directions = [](int passes, int rows) {
    std::string dirs;
    for (const std::string& line : Runs(CompileDmpl(Uniform(3, rows, Gray(0)), 1, passes))) {
      dirs += line.substr(line.find(',') + 1, 2) == "0 " ? 'F' : 'R';
    }
    return dirs;
  };
  EXPECT_EQ(directions(1, 4), "FRFR");
  EXPECT_EQ(directions(2, 2), "FRFR");
  EXPECT_EQ(directions(3, 2), "FRFRFR");
}

TEST(DmplJob, WhiteRowsStillAdvanceTheDirection) {
  // Row 0 white, row 1 black, one pass: row 1 is scanned right to left.
  const Picture p = MakePicture({{Gray(255), Gray(255)}, {Gray(0), Gray(0)}});
  const std::vector<std::string> expected = {"U4,4 D4,4 D4,0 U4,0 "};
  EXPECT_EQ(Runs(CompileDmpl(p, 2, 1)), expected);
  EXPECT_TRUE(Runs(CompileDmpl(Uniform(5, 3, Gray(255)), 4, 3)).empty());
  EXPECT_TRUE(Runs(CompileDmpl(Uniform(5, 3, Gray(255)), 4, 254)).empty());
}

TEST(DmplJob, RunsTouchingEitherBorder) {
  // Forward: runs at both borders of one row; a burned column at the far
  // border opens and closes its run in the same visit.
  const Picture p = MakePicture({{Gray(0), Gray(255), Gray(0), Gray(0)}});
  const std::vector<std::string> forward = {"U7,0 D7,0 D7,7 U7,7 ", "U7,14 D7,14 D7,28 U7,28 "};
  EXPECT_EQ(Runs(CompileDmpl(p, 7, 1)), forward);

  const Picture q = MakePicture({{Gray(255)}, {Gray(0)}});  // row 1 runs in reverse
  const std::vector<std::string> oneColumn = {"U6,3 D6,3 D6,0 U6,0 "};
  EXPECT_EQ(Runs(CompileDmpl(q, 3, 1)), oneColumn);
}

TEST(DmplJob, OneColumnPictureBothDirections) {
  const Picture col = Uniform(1, 2, Gray(0));
  const std::vector<std::string> expected = {"U5,0 D5,0 D5,5 U5,5 ", "U10,5 D10,5 D10,0 U10,0 "};
  EXPECT_EQ(Runs(CompileDmpl(col, 5, 1)), expected);
}

TEST(DmplJob, DarknessAtTheStepBurnsInEveryPass) {
  // N 2, T 85: D 85 burns in both passes, D 86 only in the first, D 170 in
  // both, D 84 never. The darkness is 255 - (R+G+B) div 3.
  struct Case { int darkness, passesBurned; };
  const Case cases[] = {{84, 0}, {85, 2}, {86, 1}, {169, 1}, {170, 2}, {255, 2}, {0, 0}};
  for (const Case& c : cases) {
    const Picture p = Uniform(1, 1, Gray(255 - c.darkness));
    EXPECT_EQ(static_cast<int>(Runs(CompileDmpl(p, 1, 2)).size()), c.passesBurned) << "D " << c.darkness;
  }
  // Three passes (T 63): D 126 = 2T burns in all three; D 127 in two.
  EXPECT_EQ(Runs(CompileDmpl(Uniform(1, 1, Gray(255 - 126)), 1, 3)).size(), 3u);
  EXPECT_EQ(Runs(CompileDmpl(Uniform(1, 1, Gray(255 - 127)), 1, 3)).size(), 2u);
  // N 1 (T 127): burns when (R+G+B) div 3 is at most 128; the sum is truncated.
  EXPECT_EQ(Runs(CompileDmpl(MakePicture({{{128, 129, 129}}}), 1, 1)).size(), 1u);
  EXPECT_EQ(Runs(CompileDmpl(MakePicture({{{129, 129, 129}}}), 1, 1)).size(), 0u);
}

TEST(DmplJob, TwoHundredFiftyFivePassesBurnWhileAnyDarknessIsLeft) {
  // Burn step 0: white never burns, anything darker burns in every pass.
  const Picture p = MakePicture({{Gray(255), Gray(254)}});
  const auto runs = Runs(CompileDmpl(p, 1, 255));
  ASSERT_EQ(runs.size(), 255u);
  EXPECT_EQ(runs[0], "U0,1 D0,1 D0,2 U0,2 ");    // pass 0, forward, offset 0
  EXPECT_EQ(runs[1], "U0,2 D0,2 D0,1 U0,1 ");    // pass 1, reverse
}

TEST(DmplJob, ProgressHookSeesEveryColumnPassAndRow) {
  struct Count {
    long columns = 0;
    std::vector<int> passes, rows;
    void column() { ++columns; }
    void pass(int p) { passes.push_back(p); }
    void row(int y) { rows.push_back(y); }
  } count;
  CompileDmpl(Uniform(4, 2, Gray(0)), 1, 3, count);
  EXPECT_EQ(count.columns, 4 * 2 * 3);
  EXPECT_EQ(count.passes, (std::vector<int>{1, 2, 3, 1, 2, 3}));
  EXPECT_EQ(count.rows, (std::vector<int>{1, 2}));
}

TEST(DmplJob, CompilingTwiceGivesTheSameJob) {
  Picture p(37, 11);
  for (int y = 0; y < p.height(); ++y)
    for (int i = 0; i < 3 * p.width(); ++i) p.row(y)[i] = static_cast<std::uint8_t>((y * 31 + i * 17) % 256);
  EXPECT_EQ(CompileDmpl(p, 3, 4).joined("\n"), CompileDmpl(p, 3, 4).joined("\n"));
}
