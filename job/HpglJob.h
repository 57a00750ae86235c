#pragma once

#include <cstdint>

#include "imaging/Picture.h"
#include "job/JobText.h"
#include "job/RasterWalk.h"

namespace velmar {

// Writes the plot text: the set-up block as one item, one item of four
// commands per run (pen up to the run's first edge, pen down on the spot,
// pen down to the far edge, pen up on the spot, CR LF between them), then
// the line type and the pen put away. Y comes first in every pair.
class HpglLineWriter {
 public:
  explicit HpglLineWriter(JobText& job) : job_(job) {}
  void header();
  void run(std::int64_t y, std::int64_t xs, std::int64_t xe);
  void closing();

 private:
  JobText& job_;
};

// Walks the picture exactly as the DM/PL compile does and returns the plot
// items. Progress as for CompileDmpl.
template <class Progress>
JobText CompileHpgl(const Picture& picture, int pixelSize, int passes, Progress& progress) {
  return CompileJob<HpglLineWriter>(picture, pixelSize, passes, progress);
}

inline JobText CompileHpgl(const Picture& picture, int pixelSize, int passes) {
  NoProgress none;
  return CompileHpgl(picture, pixelSize, passes, none);
}

}  // namespace velmar
