#pragma once

#include <cstdint>
#include <vector>

#include "imaging/Picture.h"
#include "job/JobText.h"

namespace velmar {

// Burn step of a compile with `passes` passes per row.
inline int BurnStep(int passes) { return 255 / (passes + 1); }

// Pass offset: pixelSize / passes rounded to the nearest integer, an exact
// half going to the even neighbour (1/2 gives 0, 3/2 gives 2, 5/2 gives 2).
inline int PassOffset(int pixelSize, int passes) {
  const int q = pixelSize / passes;
  const int r = pixelSize % passes;
  if (2 * r > passes) return q + 1;
  if (2 * r == passes && r != 0) return (q % 2 == 0) ? q : q + 1;
  return q;
}

// A progress hook that ignores everything.
struct NoProgress {
  void column() {}
  void pass(int /*passesDone*/) {}
  void row(int /*rowsDone*/) {}
};

// The raster walk shared by every job format.
//
// Rows go top to bottom; each row is burned in `passes` passes. A job-wide
// pass counter picks the scan direction (even: left to right, odd: right to
// left). Every maximal group of consecutive columns burned in a pass becomes
// one call writer.run(Y, Xs, Xe), in scan order; Xs is the edge where the
// scan enters the run and Xe the edge where it leaves it.
//
// Writer: void run(std::int64_t y, std::int64_t xs, std::int64_t xe)
// Progress: column() after every visited column, pass(p + 1) after every
// pass, row(y + 1) after every row.
template <class Writer, class Progress>
void RasterWalk(const Picture& picture, int pixelSize, int passes, Writer& writer,
                Progress& progress) {
  const int W = picture.empty() ? 0 : picture.width();
  const int H = picture.empty() ? 0 : picture.height();
  const std::int32_t T = BurnStep(passes);
  const std::int64_t P = pixelSize;
  const std::int64_t O = PassOffset(pixelSize, passes);

  // Darkness of every column of the current row; the passes lower it as
  // they burn. Room for W + 2 entries, of which W are used.
  std::vector<std::int32_t> dark(static_cast<std::size_t>(W) + 2, 0);
  std::uint64_t passCounter = 0;

  // A column burns when its remaining darkness reaches the step; above the
  // step the step is taken off, at the step it stays and burns again in
  // every later pass. With the step 0 (255 passes) a column burns while any
  // darkness is left, and white never burns.
  auto burns = [T](std::int32_t& v) {
    const bool burned = v >= T && v > 0;
    if (v > T) v -= T;
    return burned;
  };

  for (int y = 0; y < H; ++y) {
    const std::uint8_t* src = picture.row(y);
    for (int x = 0; x < W; ++x) {
      const int sum = src[3 * x] + src[3 * x + 1] + src[3 * x + 2];
      dark[static_cast<std::size_t>(x)] = 255 - sum / 3;
    }
    for (int p = 0; p < passes; ++p) {
      const std::int64_t Y = static_cast<std::int64_t>(y) * P + static_cast<std::int64_t>(p + 1) * O;
      std::int64_t S = -1;
      std::int64_t E = -1;
      if (passCounter % 2 == 0) {
        for (int x = 0; x < W; ++x) {
          const bool b = burns(dark[static_cast<std::size_t>(x)]);
          if (b && S < 0) S = x;
          if (!b && S >= 0 && E < 0) E = x;
          if (S >= 0 && E < 0 && x == W - 1) E = W;
          if (S >= 0 && E >= 0) {
            writer.run(Y, P * S, P * E);
            S = E = -1;
          }
          progress.column();
        }
      } else {
        for (int x = W - 1; x >= 0; --x) {
          const bool b = burns(dark[static_cast<std::size_t>(x)]);
          if (b && S < 0) S = x + 1;
          if (!b && S >= 0 && E < 0) E = x + 1;
          if (S >= 0 && E < 0 && x == 0) E = 0;
          if (S >= 0 && E >= 0) {
            writer.run(Y, P * S, P * E);
            S = E = -1;
          }
          progress.column();
        }
      }
      ++passCounter;
      progress.pass(p + 1);
    }
    progress.row(y + 1);
  }
}

// A whole job in one format: the writer's opening lines, a line per run of
// the walk, the writer's closing lines.
// Writer: constructed from the JobText, with header(), run() and closing().
template <class Writer, class Progress>
JobText CompileJob(const Picture& picture, int pixelSize, int passes, Progress& progress) {
  JobText job;
  Writer writer(job);
  writer.header();
  RasterWalk(picture, pixelSize, passes, writer, progress);
  writer.closing();
  job.finish();
  return job;
}

}  // namespace velmar
