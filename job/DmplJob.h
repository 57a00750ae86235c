#pragma once

#include <cstdint>

#include "imaging/Picture.h"
#include "job/JobText.h"
#include "job/RasterWalk.h"

namespace velmar {

// Writes one DM/PL line per run: pen up to the run's first edge, pen down on
// the spot, pen down to the far edge, pen up on the spot. Y comes first in
// every coordinate pair.
class DmplLineWriter {
 public:
  explicit DmplLineWriter(JobText& job) : job_(job) {}
  void header();
  void run(std::int64_t y, std::int64_t xs, std::int64_t xe);
  void closing();

 private:
  JobText& job_;
};

// Compiles the picture into a DM/PL job: the header line, one line per run,
// and the three closing lines. The template lets the window hand in its own
// progress hook without a call per column through a pointer.
template <class Progress>
JobText CompileDmpl(const Picture& picture, int pixelSize, int passes, Progress& progress) {
  return CompileJob<DmplLineWriter>(picture, pixelSize, passes, progress);
}

inline JobText CompileDmpl(const Picture& picture, int pixelSize, int passes) {
  NoProgress none;
  return CompileDmpl(picture, pixelSize, passes, none);
}

}  // namespace velmar
