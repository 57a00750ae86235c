#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

#include "job/Commands.h"
#include "job/HpglJob.h"
#include "job/PlotFile.h"
#include "tests/TestPictures.h"

using namespace velmar;
using velmar::testing::Gray;
using velmar::testing::MakePicture;

namespace {

const Picture kFourPixels = MakePicture({{Gray(0), Gray(128), Gray(170), Gray(255)}});

const std::string kHeaderLines =
    "IN;\r\nVS32,1;\r\nVS32,2;\r\nVS32,3;\r\nVS32,4;\r\nVS32,5;\r\nVS32,6;\r\nVS32,7;\r\nVS32,8;\r\n"
    "WU0;\r\nPW0.350,1;\r\nPW0.350,2;\r\nPW0.350,3;\r\nPW0.350,4;\r\nPW0.350,5;\r\nPW0.350,6;\r\n"
    "PW0.350,7;\r\nPW0.350,8;\r\nSP1;\r\nLT;\r\n";

std::string ReadAll(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PlotFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velmar-plot-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::string dir_;
};

}  // namespace

TEST(HpglJob, WorkedExampleItems) {
  const JobText job = CompileHpgl(kFourPixels, 10, 2);
  ASSERT_EQ(job.lineCount(), 6u);
  EXPECT_EQ(job.line(0), HpglHeader);
  EXPECT_EQ(job.line(1), "PU5 0;\r\nPD5 0;\r\nPD5 30;\r\nPU5 30;");
  EXPECT_EQ(job.line(2), "PU10 30;\r\nPD10 30;\r\nPD10 20;\r\nPU10 20;");
  EXPECT_EQ(job.line(3), "PU10 10;\r\nPD10 10;\r\nPD10 0;\r\nPU10 0;");
  EXPECT_EQ(job.line(4), "LT;");
  EXPECT_EQ(job.line(5), "SP0;");
}

TEST(HpglJob, HeaderHoldsTwentyCommandsWithoutATrailingBreak) {
  EXPECT_EQ(std::string(HpglHeader) + "\r\n", kHeaderLines);
}

TEST_F(PlotFiles, WorkedExampleFileByteForByte) {
  WritePlotFile(CompileHpgl(kFourPixels, 10, 2), path("four.plt"));
  const std::string expected = kHeaderLines +
                               "PU5 0;\r\nPD5 0;\r\nPD5 30;\r\nPU5 30;\r\n"
                               "PU10 30;\r\nPD10 30;\r\nPD10 20;\r\nPU10 20;\r\n"
                               "PU10 10;\r\nPD10 10;\r\nPD10 0;\r\nPU10 0;\r\n"
                               "LT;\r\nSP0;\r\n";
  EXPECT_EQ(ReadAll(path("four.plt")), expected);
}

TEST_F(PlotFiles, NoPictureGivesTwentyTwoLines) {
  WritePlotFile(CompileHpgl(Picture(), 1, 1), path("empty.plt"));
  const std::string text = ReadAll(path("empty.plt"));
  EXPECT_EQ(text, kHeaderLines + "LT;\r\nSP0;\r\n");
  std::size_t lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 22u);
}

TEST_F(PlotFiles, ExportingTwiceWritesIdenticalFiles) {
  Picture picture(23, 11);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 23 * 3; ++x) picture.row(y)[x] = static_cast<std::uint8_t>((x * 37 + y * 91) % 256);
  EXPECT_EQ(SavePlotFile(CompileHpgl(picture, 7, 3), path("a")), path("a.plt"));
  EXPECT_EQ(SavePlotFile(CompileHpgl(picture, 7, 3), path("b")), path("b.plt"));
  const std::string a = ReadAll(path("a.plt"));
  EXPECT_GT(a.size(), kHeaderLines.size() + 100);
  EXPECT_EQ(a, ReadAll(path("b.plt")));
}

TEST_F(PlotFiles, PltIsAddedOnlyWithoutAnExtension) {
  const std::pair<std::string, std::string> names[] = {
      {"job", "job.plt"},         {"job.plt", "job.plt"},       {"notes.txt", "notes.txt"},
      {"job.PLT", "job.PLT"},     {"dir.d/job", "dir.d/job.plt"}, {"C:\\img.d\\job", "C:\\img.d\\job.plt"},
      {"job.", "job."},
  };
  for (const auto& [chosen, written] : names) EXPECT_EQ(PlotFileName(chosen), written) << chosen;

  EXPECT_EQ(SavePlotFile(CompileHpgl(kFourPixels, 1, 1), path("notes.txt")), path("notes.txt"));
  EXPECT_EQ(ReadAll(path("notes.txt")).substr(0, 5), "IN;\r\n");
}

TEST_F(PlotFiles, AFileThatCannotBeCreatedIsNamedWithTheReason) {
  const std::string name = path("missing/job.plt");
  try {
    WritePlotFile(CompileHpgl(kFourPixels, 1, 1), name);
    ADD_FAILURE() << "the plot file was written";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + name + "\". No such file or directory");
  }
}
