#include "imaging/Dither.h"

#include <cstdint>
#include <vector>

#include "imaging/HotLoops.h"
#include "imaging/PixelOps.h"

namespace velmar {

namespace {

constexpr std::uint8_t kWhite = 255;

VELMAR_HOT_LOOP void AverageGrayRows(Picture& picture) {
  const int w = picture.width();
  for (int y = 0; y < picture.height(); ++y) {
    std::uint8_t* p = picture.row(y);
    for (int x = 0; x < w; ++x) {
      const std::uint16_t sum = static_cast<std::uint16_t>(p[3 * x] + p[3 * x + 1] + p[3 * x + 2]);
      const std::uint8_t g = static_cast<std::uint8_t>(sum / 3);
      p[3 * x] = g;
      p[3 * x + 1] = g;
      p[3 * x + 2] = g;
    }
  }
}

// White where the channel sum reaches sumThreshold: g >= t is the same as
// R + G + B >= 3 t for g = (R + G + B) div 3.
VELMAR_HOT_LOOP void ThresholdSums(Picture& picture, std::uint16_t sumThreshold) {
  const int w = picture.width();
  for (int y = 0; y < picture.height(); ++y) {
    std::uint8_t* p = picture.row(y);
    for (int x = 0; x < w; ++x) {
      const std::uint16_t sum = static_cast<std::uint16_t>(p[3 * x] + p[3 * x + 1] + p[3 * x + 2]);
      const std::uint8_t v = sum >= sumThreshold ? kWhite : 0;
      p[3 * x] = v;
      p[3 * x + 1] = v;
      p[3 * x + 2] = v;
    }
  }
}

// One row of an ordered dither. limit[x] is 256 times the table entry, so
// (76 R + 150 G + 30 B) shr 8 >= entry becomes a comparison of the sum.
VELMAR_HOT_LOOP void OrderedRow(std::uint8_t* p, int w, const std::uint16_t* limit) {
  for (int x = 0; x < w; ++x) {
    const std::uint16_t sum = static_cast<std::uint16_t>(76 * p[3 * x + 2] + 150 * p[3 * x + 1] + 30 * p[3 * x]);
    const std::uint8_t v = sum >= limit[x] ? kWhite : 0;
    p[3 * x] = v;
    p[3 * x + 1] = v;
    p[3 * x + 2] = v;
  }
}

template <int N>
void OrderedDither(Picture& picture, const int (&table)[N][N]) {
  const int w = picture.width();
  if (picture.empty()) return;
  std::vector<std::uint16_t> limits(static_cast<std::size_t>(N) * static_cast<std::size_t>(w));
  for (int r = 0; r < N; ++r) {
    for (int x = 0; x < w; ++x) limits[static_cast<std::size_t>(r * w + x)] = static_cast<std::uint16_t>(256 * table[r][x % N]);
  }
  for (int y = 0; y < picture.height(); ++y) {
    OrderedRow(picture.row(y), w, limits.data() + static_cast<std::size_t>((y % N) * w));
  }
}

// ---- Error diffusion on the error grid -------------------------------------
//
// The grid of (W + 1) x (H + 1) cells is kept as one row of collected errors:
// cell (x, y + 1) only receives shares from row y, the margin column and row
// take shares that are never read back, so keeping the row below and
// dropping the margin shares gives the same cells.
//
// A cell's value stays within -255..510: every error so far is within
// -255..255 (a cell of 0..255 plus at most one full error, thresholded at
// 0..256, leaves at most 255 either way), and a cell collects 7/16 + 3/16 +
// 5/16 + 1/16 of such errors at most. The share that moves right, which is
// all that ties one pixel to the next, is read from a table indexed by the
// cell value.
constexpr int kCellLow = -255;
constexpr int kCellHigh = 510;
constexpr int kCellSpan = kCellHigh - kCellLow + 1;

void FillRightShares(int threshold, std::int16_t* table) {
  for (int old = kCellLow; old <= kCellHigh; ++old) {
    const int err = old - (old >= threshold ? 255 : 0);
    table[old - kCellLow] = static_cast<std::int16_t>((err * 7) / 16);
  }
}

// start[x] = gray + shares from the row above.
VELMAR_HOT_LOOP void StartCells(const std::uint8_t* p, int w, int wr, int wg, int wb, const std::int16_t* below,
                                std::int16_t* start) {
  for (int x = 0; x < w; ++x) {
    const std::uint16_t sum = static_cast<std::uint16_t>(wr * p[3 * x + 2] + wg * p[3 * x + 1] + wb * p[3 * x]);
    start[x] = static_cast<std::int16_t>((sum >> 8) + below[x]);
  }
}

void DiffuseRight(const std::int16_t* start, int w, const std::int16_t* const* rightShare, std::int16_t* cells) {
  int old = start[0];
  cells[0] = static_cast<std::int16_t>(old);
  for (int x = 1; x < w; ++x) {
    old = start[x] + rightShare[(x - 1) & 3][old];
    cells[x] = static_cast<std::int16_t>(old);
  }
}

// Writes black or white and, unless this is the last row, the shares that go
// down: lower left 3/16, down 5/16, lower right 1/16, each truncated.
VELMAR_HOT_LOOP void SettleCells(const std::int16_t* cells, int w, const std::int16_t* threshold, std::uint8_t* p,
                                 std::int16_t* err, std::int16_t* below) {
  err[0] = 0;
  err[w + 1] = 0;
  for (int x = 0; x < w; ++x) {
    const std::uint8_t v = cells[x] >= threshold[x] ? kWhite : 0;
    err[x + 1] = static_cast<std::int16_t>(cells[x] - v);
    p[3 * x] = v;
    p[3 * x + 1] = v;
    p[3 * x + 2] = v;
  }
  if (below == nullptr) return;
  for (int x = 0; x < w; ++x) {
    below[x] = static_cast<std::int16_t>((err[x + 2] * 3) / 16 + (err[x + 1] * 5) / 16 + err[x] / 16);
  }
}

// thresholds(y, x) gives the cell threshold; it repeats every 4 columns and rows.
template <class Threshold>
void DiffuseErrors(Picture& picture, int wr, int wg, int wb, Threshold thresholds) {
  const int w = picture.width();
  const int h = picture.height();
  if (picture.empty()) return;

  std::vector<std::int16_t> shareTables(16 * kCellSpan);
  std::vector<std::int16_t> thresholdRows(4 * static_cast<std::size_t>(w));
  const std::int16_t* rightShares[4][4];
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      std::int16_t* table = shareTables.data() + (r * 4 + c) * kCellSpan;
      FillRightShares(thresholds(r, c), table);
      rightShares[r][c] = table - kCellLow;
    }
    for (int x = 0; x < w; ++x) {
      thresholdRows[static_cast<std::size_t>(r) * w + x] = static_cast<std::int16_t>(thresholds(r, x & 3));
    }
  }

  std::vector<std::int16_t> below(w, 0), start(w), cells(w), err(w + 2);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* p = picture.row(y);
    StartCells(p, w, wr, wg, wb, below.data(), start.data());
    DiffuseRight(start.data(), w, rightShares[y & 3], cells.data());
    SettleCells(cells.data(), w, thresholdRows.data() + static_cast<std::size_t>(y & 3) * w, p, err.data(),
                y + 1 < h ? below.data() : nullptr);
  }
}

// ---- DitherLevels ----------------------------------------------------------
//
// For Min and Max within 0..255 every quantised value v is within 0..255, so
// every error s - v is within -255..255 and a value with its collected error
// (16 s + Cur) stays within -4080..8160. Then 7 v, the part of the next
// pixel's error that depends on this pixel's result, comes from a table, and
// the rest of the work runs over whole rows.
constexpr int kLevelLow = -4080;
constexpr int kLevelHigh = 8160;

// start[k] = 16 s + shares from the row above + 7 s of the pixel behind (in
// scanning direction); 7 v of that pixel is subtracted by the serial pass.
VELMAR_HOT_LOOP void LevelStart(const std::uint8_t* padded, int n, int behind, const std::int16_t* above,
                                std::int16_t* start) {
  for (int k = 0; k < n; ++k) {
    start[k] = static_cast<std::int16_t>(16 * padded[k + 3] + above[k] + 7 * padded[k + 3 + behind]);
  }
}

void LevelForward(const std::int16_t* start, int n, const std::int16_t* sevenV, std::int16_t* out) {
  int f0 = sevenV[start[0]], f1 = sevenV[start[1]], f2 = sevenV[start[2]];
  out[0] = static_cast<std::int16_t>(f0);
  out[1] = static_cast<std::int16_t>(f1);
  out[2] = static_cast<std::int16_t>(f2);
  for (int k = 3; k < n; k += 3) {
    f0 = sevenV[start[k] - f0];
    f1 = sevenV[start[k + 1] - f1];
    f2 = sevenV[start[k + 2] - f2];
    out[k] = static_cast<std::int16_t>(f0);
    out[k + 1] = static_cast<std::int16_t>(f1);
    out[k + 2] = static_cast<std::int16_t>(f2);
  }
}

void LevelBackward(const std::int16_t* start, int n, const std::int16_t* sevenV, std::int16_t* out) {
  int k = n - 3;
  int f0 = sevenV[start[k]], f1 = sevenV[start[k + 1]], f2 = sevenV[start[k + 2]];
  out[k] = static_cast<std::int16_t>(f0);
  out[k + 1] = static_cast<std::int16_t>(f1);
  out[k + 2] = static_cast<std::int16_t>(f2);
  for (k -= 3; k >= 0; k -= 3) {
    f0 = sevenV[start[k] - f0];
    f1 = sevenV[start[k + 1] - f1];
    f2 = sevenV[start[k + 2] - f2];
    out[k] = static_cast<std::int16_t>(f0);
    out[k + 1] = static_cast<std::int16_t>(f1);
    out[k + 2] = static_cast<std::int16_t>(f2);
  }
}

// Writes the levels and the shares for the row below: 5 e down, e from the
// pixel behind (its lower-ahead share) and 3 e from the pixel ahead.
VELMAR_HOT_LOOP void LevelSettle(const std::int16_t* sevenV, int n, int behind, std::uint8_t* p, std::int16_t* err,
                                 std::int16_t* below) {
  for (int k = 0; k < n; ++k) {
    const std::int16_t v = static_cast<std::int16_t>(sevenV[k] / 7);
    err[k + 3] = static_cast<std::int16_t>(p[k] - v);
    p[k] = static_cast<std::uint8_t>(v);
  }
  if (below == nullptr) return;
  for (int k = 0; k < n; ++k) {
    below[k] = static_cast<std::int16_t>(5 * err[k + 3] + err[k + 3 + behind] + 3 * err[k + 3 - behind]);
  }
}

void DitherLevelsInRange(Picture& picture, int Min, int Max, std::int32_t mask) {
  const int w = picture.width();
  const int h = picture.height();
  const int n = 3 * w;

  std::vector<std::int16_t> table(kLevelHigh - kLevelLow + 1);
  for (int x = kLevelLow; x <= kLevelHigh; ++x) {
    const std::int32_t v = ClampRange(x / 16, Min, Max) & mask;
    table[x - kLevelLow] = static_cast<std::int16_t>(7 * v);
  }
  const std::int16_t* sevenV = table.data() - kLevelLow;

  std::vector<std::uint8_t> padded(n + 6, 0);
  std::vector<std::int16_t> below(n, 0), start(n), sevens(n), err(n + 6, 0);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* p = picture.row(y);
    const bool forward = (y & 1) == 0;
    const int behind = forward ? -3 : 3;
    for (int k = 0; k < n; ++k) padded[k + 3] = p[k];
    LevelStart(padded.data(), n, behind, below.data(), start.data());
    if (forward) {
      LevelForward(start.data(), n, sevenV, sevens.data());
    } else {
      LevelBackward(start.data(), n, sevenV, sevens.data());
    }
    LevelSettle(sevens.data(), n, behind, p, err.data(), y + 1 < h ? below.data() : nullptr);
  }
}

// Any Min and Max: the routine as stated, in 64-bit sums so that no value
// can overflow.
void DitherLevelsAnyRange(Picture& picture, std::int64_t Min, std::int64_t Max, std::int64_t mask) {
  const int w = picture.width();
  const auto clamp = [](std::int64_t v, std::int64_t low, std::int64_t high) {
    if (v < low) return low;
    if (v > high) return high;
    return v;
  };
  std::vector<std::int64_t> buffers[6];
  for (auto& b : buffers) b.assign(static_cast<std::size_t>(w) + 2, 0);
  std::int64_t* cur[3] = {buffers[0].data(), buffers[1].data(), buffers[2].data()};
  std::int64_t* next[3] = {buffers[3].data(), buffers[4].data(), buffers[5].data()};
  int d = 1;
  for (int y = 0; y < picture.height(); ++y) {
    std::uint8_t* p = picture.row(y);
    for (int x = d > 0 ? 0 : w - 1; x >= 0 && x < w; x += d) {
      for (int c = 0; c < 3; ++c) {
        const std::int64_t s = p[3 * x + c];
        std::int64_t v = (16 * s + cur[c][x + 1]) / 16;
        v = clamp(v, Min, Max) & mask;
        p[3 * x + c] = static_cast<std::uint8_t>(v);
        const std::int64_t e = s - v;
        cur[c][x + 1 + d] += 7 * e;
        next[c][x + 1] += 5 * e;
        next[c][x + 1 + d] += e;
        next[c][x + 1 - d] += 3 * e;
      }
    }
    d = -d;
    for (int c = 0; c < 3; ++c) {
      SwapPointers(cur[c], next[c]);
      for (int i = 0; i < w + 2; ++i) next[c][i] = 0;
    }
  }
}

}  // namespace

void MakeGrayScale(Picture& picture) {
  if (picture.empty()) return;
  AverageGrayRows(picture);
}

void MakeBinary(std::uint8_t Level, std::uint8_t Mode, Picture& picture) {
  if (picture.empty()) return;
  // Mode 1 sends a pixel exactly at the level to black, so white starts one
  // step higher.
  const int firstWhite = Level + (Mode == 1 ? 1 : 0);
  ThresholdSums(picture, static_cast<std::uint16_t>(3 * firstWhite));
}

void DitherMatrix2x2(Picture& picture) { OrderedDither(picture, Matrix2x2); }
void DitherMatrix3x3(Picture& picture) { OrderedDither(picture, Matrix3x3); }
void DitherMatrix4x4(Picture& picture) { OrderedDither(picture, Matrix4x4); }

void DitherFloydSteinberg(Picture& picture) {
  DiffuseErrors(picture, 76, 151, 29, [](int, int) { return 128; });
}

void DitherFSMatrix4x4(Picture& picture) {
  DiffuseErrors(picture, 76, 150, 30, [](int r, int c) { return Matrix4x4[r][c]; });
}

void DitherLevels(Picture& picture, int Min, int Max, int Dither) {
  if (picture.empty()) return;
  // Dither shifted left by four bits, in 32 bits.
  const auto mask = static_cast<std::int32_t>(static_cast<std::uint32_t>(Dither) << 4);
  if (Min >= 0 && Min <= 255 && Max >= 0 && Max <= 255) {
    DitherLevelsInRange(picture, Min, Max, mask);
  } else {
    DitherLevelsAnyRange(picture, Min, Max, mask);
  }
}

}  // namespace velmar
