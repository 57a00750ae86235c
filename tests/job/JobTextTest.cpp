#include <gtest/gtest.h>

#include <string>

#include "job/JobText.h"

using velmar::JobText;

TEST(JobText, LinesReadBackAcrossChunks) {
  JobText job;
  std::string expected;
  // Enough text for several chunks, with one line larger than a chunk.
  for (int i = 0; i < 200000; ++i) {
    std::string line = "line " + std::to_string(i) + " ";
    if (i == 12345) line = std::string(200000, 'x');
    job.addLine(line);
    expected += line + "|";
  }
  job.addLine("");
  expected += "|";
  job.finish();
  ASSERT_EQ(job.lineCount(), 200001u);
  EXPECT_EQ(job.line(0), "line 0 ");
  EXPECT_EQ(job.line(12345).size(), 200000u);
  EXPECT_EQ(job.line(199999), "line 199999 ");
  EXPECT_EQ(job.line(200000), "");
  EXPECT_EQ(job.joined("|"), expected);
  EXPECT_EQ(job.textBytes() + job.lineCount(), expected.size());
  EXPECT_THROW(job.line(200001), std::out_of_range);
}

TEST(JobText, MoveLeavesAnEmptyJob) {
  JobText a;
  a.addLine("abc ");
  JobText b = std::move(a);
  EXPECT_EQ(b.lineCount(), 1u);
  EXPECT_EQ(b.line(0), "abc ");
  EXPECT_EQ(a.lineCount(), 0u);
  EXPECT_EQ(a.textBytes(), 0u);
}
