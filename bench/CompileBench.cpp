// The compile core on a 12-megapixel picture: the walk alone (an all-white
// picture writes no text) and the whole compile of a photo-like picture.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/BenchPictures.h"
#include "job/DmplJob.h"

namespace {

constexpr int kW = 4000, kH = 3000;

const velmar::Picture& Photo() {
  static const velmar::Picture p = velmar::bench::PhotoLike(kW, kH);
  return p;
}

const velmar::Picture& White() {
  static const velmar::Picture p = [] {
    velmar::Picture w(kW, kH);
    std::memset(w.data(), 255, w.byteSize());
    return w;
  }();
  return p;
}

void BM_WalkWhite(benchmark::State& state) {
  const int passes = static_cast<int>(state.range(0));
  for (auto _ : state) {
    velmar::JobText job = velmar::CompileDmpl(White(), 1, passes);
    benchmark::DoNotOptimize(job.lineCount());
  }
  const double pixelPasses = double(kW) * kH * passes;
  state.counters["s_per_pixel_pass"] = benchmark::Counter(
      pixelPasses, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_WalkWhite)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_CompilePhoto(benchmark::State& state) {
  const int passes = static_cast<int>(state.range(0));
  std::uint64_t bytes = 0, lines = 0, memory = 0;
  for (auto _ : state) {
    velmar::JobText job = velmar::CompileDmpl(Photo(), 1, passes);
    bytes = job.textBytes();
    lines = job.lineCount();
    memory = job.memoryBytes();
    benchmark::DoNotOptimize(job.lineCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
  state.counters["job_MB"] = double(bytes) / 1e6;
  state.counters["lines"] = double(lines);
  state.counters["memory_per_text"] = double(memory) / double(bytes);
}
BENCHMARK(BM_CompilePhoto)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
