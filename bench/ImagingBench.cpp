// Speed of the pixel routines on a 4000 x 3000 photo-like picture, each
// beside one plain copy of the same picture. After the usual Google
// Benchmark table it prints every routine as a multiple of the copy.
//
//   velmar_imaging_bench [--write-ppm=FILE] [benchmark flags]
//
// --write-ppm writes the picture as a binary PPM and exits (for
// imagemagick_compare.sh).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "imaging/Dither.h"
#include "imaging/Effects.h"
#include "imaging/Picture.h"
#include "imaging/Tone.h"

namespace {

using velmar::Picture;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Smooth light falling across the frame, a few objects with hard edges,
// texture and sensor-like noise: enough structure that the error diffusion
// and the blurs see varied values, as in a photo.
Picture MakePhoto() {
  Picture p(kWidth, kHeight);
  std::uint32_t state = 12345;
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = p.row(y);
    for (int x = 0; x < kWidth; ++x) {
      const double u = static_cast<double>(x) / kWidth;
      const double v = static_cast<double>(y) / kHeight;
      double base = 70 + 110 * u * (1 - 0.5 * v) + 30 * std::sin(9 * u + 4 * v);
      const double dx = u - 0.35, dy = v - 0.55;
      if (dx * dx + dy * dy < 0.04) base = 200 - 120 * (dx * dx + dy * dy) / 0.04;  // a lit ball
      if (u > 0.7 && u < 0.9 && v > 0.2 && v < 0.8) base = 40 + 25 * std::sin(60 * v);  // a dark, ribbed box
      const double texture = 12 * std::sin(0.9 * x + 0.3 * y) * std::sin(0.05 * x);
      state = state * 1664525u + 1013904223u;
      const double noise = static_cast<double>(state >> 27) - 16.0;
      const double tint[3] = {-25 * v, 5 * u, 20 - 20 * v};  // B, G, R
      for (int c = 0; c < 3; ++c) {
        const double value = base + texture + noise + tint[c];
        row[3 * x + c] = static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
      }
    }
  }
  return p;
}

const Picture& Photo() {
  static const Picture photo = MakePhoto();
  return photo;
}

void WritePpm(const Picture& p, const char* name) {
  std::FILE* f = std::fopen(name, "wb");
  if (f == nullptr) {
    std::perror(name);
    std::exit(1);
  }
  std::fprintf(f, "P6\n%d %d\n255\n", p.width(), p.height());
  std::vector<std::uint8_t> rgb(3 * static_cast<std::size_t>(p.width()));
  for (int y = 0; y < p.height(); ++y) {
    const std::uint8_t* row = p.row(y);
    for (int x = 0; x < p.width(); ++x) {
      rgb[3 * x] = row[3 * x + 2];
      rgb[3 * x + 1] = row[3 * x + 1];
      rgb[3 * x + 2] = row[3 * x];
    }
    std::fwrite(rgb.data(), 1, rgb.size(), f);
  }
  if (std::fclose(f) != 0) {
    std::perror(name);
    std::exit(1);
  }
}

void BM_Copy(benchmark::State& state) {
  const Picture& source = Photo();
  Picture work(kWidth, kHeight);
  for (auto _ : state) {
    std::memcpy(work.data(), source.data(), source.byteSize());
    benchmark::DoNotOptimize(work.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(source.byteSize()));
}

// Each iteration starts from the photo again; the refill is not timed.
void RunRoutine(benchmark::State& state, const std::function<void(Picture&)>& routine) {
  const Picture& source = Photo();
  Picture work;
  work.assign(source);
  for (auto _ : state) {
    state.PauseTiming();
    work.assign(source);
    state.ResumeTiming();
    routine(work);
    benchmark::DoNotOptimize(work.data());
    benchmark::ClobberMemory();
  }
}

enum class Kind { Point, Diffusion, Gauss };

struct Entry {
  const char* name;
  Kind kind;
  std::function<void(Picture&)> routine;
};

const std::vector<Entry>& Entries() {
  using namespace velmar;
  static const std::vector<Entry> entries = {
      {"AdjustBrightness/40", Kind::Point, [](Picture& p) { AdjustBrightness(p, 40); }},
      {"AdjustContrast/-25", Kind::Point, [](Picture& p) { AdjustContrast(p, -25); }},
      {"AdjustContrast/7", Kind::Point, [](Picture& p) { AdjustContrast(p, 7); }},
      {"BrightnessContrast/40,-25", Kind::Point, [](Picture& p) {
         AdjustBrightness(p, 40);
         AdjustContrast(p, -25);
       }},
      {"AdjustRGB/20,-10,5", Kind::Point, [](Picture& p) { AdjustRGB(p, 20, -10, 5); }},
      {"MakeGrayScale", Kind::Point, MakeGrayScale},
      {"EffectSepia/20", Kind::Point, [](Picture& p) { EffectSepia(p, 20); }},
      {"MakeBinary/127,0", Kind::Point, [](Picture& p) { MakeBinary(127, 0, p); }},
      {"DitherMatrix2x2", Kind::Point, DitherMatrix2x2},
      {"DitherMatrix3x3", Kind::Point, DitherMatrix3x3},
      {"DitherMatrix4x4", Kind::Point, DitherMatrix4x4},
      {"EffectColorDepth/97", Kind::Point, [](Picture& p) { EffectColorDepth(97, p); }},
      {"EffectPixelize", Kind::Point, EffectPixelize},
      {"DitherFloydSteinberg", Kind::Diffusion, DitherFloydSteinberg},
      {"DitherFSMatrix4x4", Kind::Diffusion, DitherFSMatrix4x4},
      {"DitherLevels/0,255,255", Kind::Diffusion, [](Picture& p) { DitherLevels(p, 0, 255, 255); }},
      {"EffectBlur", Kind::Diffusion, EffectBlur},
      {"EffectNoiseBlur", Kind::Diffusion, EffectNoiseBlur},
      {"EffectFog", Kind::Diffusion, EffectFog},
      {"EffectGaussBlur/10", Kind::Gauss, [](Picture& p) { EffectGaussBlur(10, p); }},
  };
  return entries;
}

// Keeps the best time of every benchmark for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const double ms = run.GetAdjustedRealTime() * Scale(run.time_unit);
      auto [it, fresh] = best_.emplace(run.run_name.function_name, ms);
      if (!fresh) it->second = std::min(it->second, ms);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintSummary() const {
    const auto copy = best_.find("Copy");
    if (copy == best_.end()) return;
    const double floor = copy->second;
    const double* blur = nullptr;
    if (auto it = best_.find("EffectBlur"); it != best_.end()) blur = &it->second;
    std::printf("\n%d x %d picture, one copy (memcpy of %.1f MB): %.3f ms\n", kWidth, kHeight,
                3.0 * kWidth * kHeight / 1e6, floor);
    std::printf("%-28s %10s %10s %8s  %s\n", "routine", "ms", "x copy", "limit", "");
    for (const Entry& e : Entries()) {
      const auto it = best_.find(e.name);
      if (it == best_.end()) continue;
      // Point routines may take three copies, the others ten; the tenfold
      // Gauss blur is measured against one EffectBlur.
      double ratio = it->second / floor;
      const double limit = e.kind == Kind::Point ? 3.0 : 10.0;
      const bool againstBlur = e.kind == Kind::Gauss && blur != nullptr;
      if (againstBlur) ratio = it->second / *blur;
      std::printf("%-28s %10.3f %10.2f %8.1f  %s%s\n", e.name, it->second, ratio, limit,
                  ratio <= limit ? "ok" : "OVER", againstBlur ? " (x EffectBlur)" : "");
    }
  }

 private:
  static double Scale(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kNanosecond: return 1e-6;
      case benchmark::kMicrosecond: return 1e-3;
      case benchmark::kMillisecond: return 1.0;
      case benchmark::kSecond: return 1e3;
    }
    return 1.0;
  }

  std::map<std::string, double> best_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    const char* prefix = "--write-ppm=";
    if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0) {
      WritePpm(Photo(), argv[i] + std::strlen(prefix));
      return 0;
    }
    args.push_back(argv[i]);
  }
  int count = static_cast<int>(args.size());
  benchmark::RegisterBenchmark("Copy", BM_Copy)->Unit(benchmark::kMillisecond)->UseRealTime();
  for (const Entry& e : Entries()) {
    benchmark::RegisterBenchmark(e.name, [&e](benchmark::State& state) { RunRoutine(state, e.routine); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary();
  benchmark::Shutdown();
  return 0;
}
