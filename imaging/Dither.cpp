#include "imaging/Dither.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/HotLoops.h"
#include "imaging/Lanes.h"
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
// 5/16 + 1/16 of such errors at most. The share that moves right is all
// that ties one pixel to the next: for single pixels it comes from a table
// indexed by the cell value, for long stretches from the vector pass below;
// the rest of the work runs over whole rows.
constexpr int kCellLow = -255;
constexpr int kCellHigh = 510;
constexpr int kCellSpan = kCellHigh - kCellLow + 1;
// Right shares (err * 7) div 16 lie within -111..111; the tables hold them
// plus kShareBias, and start kSharePad entries late so that a row pointer
// moved by any start value stays inside its table.
constexpr int kShareBias = 111;
constexpr int kSharePad = 2 * kShareBias;
constexpr int kShareTable = kSharePad + kCellSpan;

void FillRightShares(int threshold, std::uint8_t* table) {
  for (int old = kCellLow; old <= kCellHigh; ++old) {
    const int err = old - (old >= threshold ? 255 : 0);
    table[kSharePad + old - kCellLow] = static_cast<std::uint8_t>((err * 7) / 16 + kShareBias);
  }
}

// start[x] = gray of row 0.
VELMAR_HOT_LOOP void FirstCells(const std::uint8_t* VELMAR_RESTRICT p, int w, int wr, int wg, int wb,
                                std::int16_t* VELMAR_RESTRICT start) {
  for (int x = 0; x < w; ++x) {
    const std::uint16_t sum = static_cast<std::uint16_t>(wr * p[3 * x + 2] + wg * p[3 * x + 1] + wb * p[3 * x]);
    start[x] = static_cast<std::int16_t>(sum >> 8);
  }
}

// The pass along a row runs on eight pieces at once, the lanes of a vector,
// with the share table replaced by its arithmetic. A piece after the first
// starts as if the pixel before it had sent no share to the right; once the
// true cell before it is known, it is run again from its first pixel until a
// cell comes out as it did (from there on the shares are the same), so the
// cells are exactly those of one pass from left to right. The pieces'
// length is a multiple of 4, so all lanes are at the same column phase; the
// pixels beyond eight pieces follow the last piece.
constexpr int kShortestCellLane = 16;

// thresholds[c]: the threshold of column phase c in every lane.
__attribute__((always_inline)) inline void DiffuseLanes(lanes::Vec8* VELMAR_RESTRICT values, int length,
                                                        const lanes::Vec8 (&thresholds)[4],
                                                        const std::uint8_t* nextRow) {
  lanes::Vec8 share = {};
  for (int i = 0; i < length; ++i) {
    const lanes::Vec8 old = values[i] + share;
    values[i] = old;
    const lanes::Vec8 err = old - ((old >= thresholds[i & 3]) & 255);
    const lanes::Vec8 seven = (err << 3) - err;
    share = (seven + ((seven >> 15) & 15)) >> 4;  // (err * 7) div 16, toward zero
    // The next row is read right after this pass; fetching it meanwhile
    // hides the memory behind the arithmetic.
    if (nextRow != nullptr) Prefetch(nextRow + 24 * i);
  }
}

VELMAR_HOT_LOOP void DiffuseInLanes(lanes::Vec8* values, int length, const lanes::Vec8 (&thresholds)[4],
                                    const std::uint8_t* nextRow) {
  DiffuseLanes(values, length, thresholds, nextRow);
}

VELMAR_HOT_LOOP void CellsToLanes(const std::int16_t* src, int length, lanes::Vec8* out) {
  lanes::ToLanes(src, length, length, out);
}

VELMAR_HOT_LOOP void CellsFromLanes(const lanes::Vec8* in, int length, std::int16_t* dst) {
  lanes::FromLanes(in, length, dst, length);
}

// bases[c]: the share table for column phase c, moved so that
// bases[c][start + share] is the share of cell value start + share -
// kShareBias. cells[x + 1] receives cell x.
void DiffuseRight(const std::int16_t* VELMAR_RESTRICT start, int w, const std::uint8_t* const* bases,
                  const lanes::Vec8 (&thresholds)[4], std::int16_t* VELMAR_RESTRICT cells, lanes::Vec8* scratch,
                  const std::uint8_t* nextRow) {
  const int length = w / 8 >= kShortestCellLane ? (w / 8) & ~3 : 0;
  if (length > 0) {
    CellsToLanes(start, length, scratch);
    DiffuseInLanes(scratch, length, thresholds, nextRow);
    CellsFromLanes(scratch, length, cells + 1);
  }
  // The pieces after the first, then the rest (the whole row for a narrow
  // picture).
  for (int j = 1; j <= 8; ++j) {
    const int begin = j * length;
    const int end = j < 8 ? (j + 1) * length : w;
    std::size_t share = kShareBias;
    if (begin > 0) share = bases[(begin - 1) & 3][cells[begin] + kShareBias];  // of cell begin - 1
    for (int x = begin; x < end; ++x) {
      const std::int16_t old = static_cast<std::int16_t>(start[x] + static_cast<int>(share) - kShareBias);
      if (j < 8 && old == cells[x + 1]) break;
      cells[x + 1] = old;
      share = KeepPointer(bases[x & 3] + start[x])[share];
    }
  }
}

inline std::int16_t CellError(std::int16_t cell, std::int16_t threshold) {
  return static_cast<std::int16_t>(cell - (cell >= threshold ? 255 : 0));
}

// (err * weight) div 16 toward zero; all of it fits 16-bit lanes.
inline std::int16_t Share(std::int16_t err, int weight) {
  return static_cast<std::int16_t>(static_cast<std::int16_t>(err * weight) / 16);
}

// Writes black or white for one row and, when there is a next row, its
// start values: its gray plus the shares of this row's errors, lower left
// 3/16 from x + 1, down 5/16 from x and lower right 1/16 from x - 1, each
// truncated on its own. cells and threshold carry one margin entry at
// either end whose error is 0.
VELMAR_HOT_LOOP void SettleCells(const std::int16_t* VELMAR_RESTRICT cells, int w,
                                 const std::int16_t* VELMAR_RESTRICT threshold, std::uint8_t* VELMAR_RESTRICT p,
                                 const std::uint8_t* VELMAR_RESTRICT next, int wr, int wg, int wb,
                                 std::int16_t* VELMAR_RESTRICT start) {
  for (int x = 0; x < w; ++x) {
    const std::uint8_t v = cells[x + 1] >= threshold[x + 1] ? kWhite : 0;
    p[3 * x] = v;
    p[3 * x + 1] = v;
    p[3 * x + 2] = v;
  }
  if (next == nullptr) return;
  const auto r16 = static_cast<std::uint16_t>(wr);
  const auto g16 = static_cast<std::uint16_t>(wg);
  const auto b16 = static_cast<std::uint16_t>(wb);
  for (int x = 0; x < w; ++x) {
    const std::uint16_t sum = static_cast<std::uint16_t>(
        static_cast<std::uint16_t>(r16 * next[3 * x + 2]) + static_cast<std::uint16_t>(g16 * next[3 * x + 1]) +
        static_cast<std::uint16_t>(b16 * next[3 * x]));
    const std::int16_t left = CellError(cells[x], threshold[x]);
    const std::int16_t here = CellError(cells[x + 1], threshold[x + 1]);
    const std::int16_t right = CellError(cells[x + 2], threshold[x + 2]);
    start[x] = static_cast<std::int16_t>(static_cast<std::int16_t>(sum >> 8) + Share(right, 3) + Share(here, 5) +
                                         Share(left, 1));
  }
}

// thresholds(y, x) gives the cell threshold; it repeats every 4 columns and rows.
template <class Threshold>
void DiffuseErrors(Picture& picture, int wr, int wg, int wb, Threshold thresholds) {
  const int w = picture.width();
  const int h = picture.height();
  if (picture.empty()) return;

  std::vector<std::uint8_t> shareTables(16 * kShareTable);
  const std::size_t rowSize = static_cast<std::size_t>(w) + 2;
  std::vector<std::int16_t> thresholdRows(4 * rowSize, 256);  // margins: a cell of 0 stays 0
  const std::uint8_t* bases[4][4];
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      std::uint8_t* table = shareTables.data() + (r * 4 + c) * kShareTable;
      FillRightShares(thresholds(r, c), table);
      bases[r][c] = table + (kSharePad - kCellLow - kShareBias);
    }
    for (int x = 0; x < w; ++x) thresholdRows[r * rowSize + x + 1] = static_cast<std::int16_t>(thresholds(r, x & 3));
  }

  lanes::Vec8 laneThresholds[4][4];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) laneThresholds[r][c] = lanes::Splat(thresholds(r, c));
  std::vector<lanes::Vec8> scratch(static_cast<std::size_t>(w / 8));

  std::vector<std::int16_t> start(w), cells(rowSize, 0);
  FirstCells(picture.row(0), w, wr, wg, wb, start.data());
  for (int y = 0; y < h; ++y) {
    DiffuseRight(start.data(), w, bases[y & 3], laneThresholds[y & 3], cells.data(), scratch.data(),
                 y + 1 < h ? picture.row(y + 1) : nullptr);
    SettleCells(cells.data(), w, thresholdRows.data() + (y & 3) * rowSize, picture.row(y),
                y + 1 < h ? picture.row(y + 1) : nullptr, wr, wg, wb, start.data());
  }
}

// ---- DitherLevels ----------------------------------------------------------
//
// For Min and Max within 0..255 every quantised value v is within 0..255, so
// every error s - v is within -255..255 and a value with its collected error,
// X = 16 s + Cur, stays within -4080..8160. X is 16 s plus the shares from
// the row above plus 7 (s - v) of the pixel behind; call A the part that does
// not depend on the pixel behind, so X = A - 7 v(pixel behind).
//
// The mask has its low four bits clear, so v is a multiple of 16: then
// X div 16 (rounded down) is A div 16 - g with g = 7 v / 16 of the pixel
// behind, and v depends only on that quotient (for Min >= 0, rounding the
// quotient down instead of toward zero changes nothing once it is clamped).
// That leaves a short chain from pixel to pixel, q = a - g, v = the clamped
// and masked q, g = 7 v / 16, per channel; the rest of the work runs over
// whole rows.
//
// The chain runs on eight pieces of the row at once, the lanes of a vector.
// A piece after the first starts as if no error came in; once the true g of
// the pixel before it is known, it is run again from its first pixel until a
// v comes out as it did, from where everything after it is the same. The
// pixels beyond eight equal pieces follow the last piece.
constexpr int kQuotientLow = -255;   // -4080 div 16
constexpr int kQuotientHigh = 510;   // 8160 div 16
constexpr int kStartHigh = 621;      // (8160 + 7 * 255) div 16, the largest a
constexpr int kStepsFront = kStartHigh - kQuotientHigh;  // keeps every row pointer inside the table
constexpr int kShortestLane = 16;

// The chain for single pixels (narrow pictures and the re-runs): entry
// kStepsFront + (kQuotientHigh - q) holds 7 v / 16 for the quotient q,
// stored backwards so that the row pointer can be formed apart from the read.
const std::uint8_t* StepsRow(const std::uint8_t* steps, int start) {
  return steps + (kStepsFront + kQuotientHigh) - start;
}

// v = 16 g / 7, exactly: g is 7 times v / 16.
inline std::uint16_t LevelOf(std::size_t g) {
  const auto sixteen = static_cast<std::uint16_t>(g << 4);
  return static_cast<std::uint16_t>((static_cast<std::uint32_t>(sixteen) * 9363u) >> 16);
}

inline std::size_t SevenSixteenths(std::uint16_t v) { return 7u * (v >> 4); }

struct LevelLimits {
  lanes::Vec8 low, high, mask;
};

// Takes g of the pixel behind, leaves this pixel's g in it and returns v.
__attribute__((always_inline)) inline lanes::Vec8 LevelStep(lanes::Vec8 start, lanes::Vec8& g,
                                                            const LevelLimits& limits) {
  const lanes::Vec8 q = start - g;
  const lanes::Vec8 below = q > limits.high ? limits.high : q;
  lanes::Vec8 v = q < limits.low ? limits.low : below;  // ClampRange: Low is tested first
  v &= limits.mask;
  g = (v >> 1) - (v >> 4);  // 7 v / 16 for a multiple of 16
  return v;
}

// values[e]: start values in, levels out.
template <int Direction>
__attribute__((always_inline)) inline void LevelLanes(lanes::Vec8* VELMAR_RESTRICT values, int length,
                                                      const LevelLimits& limits, const std::uint8_t* nextRow) {
  lanes::Vec8 g0 = {}, g1 = {}, g2 = {};
  for (int i = 0; i < length; i += 3) {
    const int e = Direction > 0 ? i : length - 3 - i;
    const lanes::Vec8 v0 = LevelStep(values[e], g0, limits);
    const lanes::Vec8 v1 = LevelStep(values[e + 1], g1, limits);
    const lanes::Vec8 v2 = LevelStep(values[e + 2], g2, limits);
    values[e] = v0;
    values[e + 1] = v1;
    values[e + 2] = v2;
    // The next row is read right after this pass; fetching it meanwhile
    // hides the memory behind the arithmetic.
    if (nextRow != nullptr) Prefetch(nextRow + 8 * i);
  }
}

VELMAR_HOT_LOOP void LevelLanesForward(lanes::Vec8* values, int length, const LevelLimits& limits,
                                       const std::uint8_t* nextRow) {
  LevelLanes<1>(values, length, limits, nextRow);
}

VELMAR_HOT_LOOP void LevelLanesBackward(lanes::Vec8* values, int length, const LevelLimits& limits,
                                        const std::uint8_t* nextRow) {
  LevelLanes<-1>(values, length, limits, nextRow);
}

VELMAR_HOT_LOOP void StartsToLanes(const std::int16_t* src, int length, lanes::Vec8* out) {
  lanes::ToLanes(src, length, length, out);
}

VELMAR_HOT_LOOP void LevelsFromLanes(const lanes::Vec8* in, int length, std::uint16_t* dst) {
  lanes::FromLanes(in, length, dst, length);
}

// One row: levels[k + 3] receives v of element k. Direction is +1 for a row
// scanned left to right, -1 for one scanned right to left.
template <int Direction>
void LevelRow(const std::int16_t* VELMAR_RESTRICT start, int w, const std::uint8_t* steps,
              const LevelLimits& limits, std::uint16_t* VELMAR_RESTRICT levels, lanes::Vec8* scratch,
              const std::uint8_t* nextRow) {
  // Scanning position p is pixel x(p); pieces are positions [j L, (j + 1) L)
  // and the rest [8 L, w). Right to left, the pieces' pixels start at w - 8 L.
  const auto x = [w](int p) { return Direction > 0 ? p : w - 1 - p; };
  const int length = w / 8 >= kShortestLane ? w / 8 : 0;
  if (length > 0) {
    const int first = Direction > 0 ? 0 : w - 8 * length;
    StartsToLanes(start + 3 * first, 3 * length, scratch);
    if (Direction > 0) {
      LevelLanesForward(scratch, 3 * length, limits, nextRow);
    } else {
      LevelLanesBackward(scratch, 3 * length, limits, nextRow);
    }
    LevelsFromLanes(scratch, 3 * length, levels + 3 + 3 * first);
  }
  // The pieces after the first, in scanning order, then the rest (the whole
  // row for a narrow picture).
  for (int j = 1; j <= 8; ++j) {
    const int begin = j * length;
    const int end = j < 8 ? (j + 1) * length : w;
    for (int c = 0; c < 3; ++c) {
      std::size_t g = begin == 0 ? 0 : SevenSixteenths(levels[3 * x(begin - 1) + c + 3]);
      for (int p = begin; p < end; ++p) {
        const int k = 3 * x(p) + c;
        g = StepsRow(steps, start[k])[g];
        const std::uint16_t v = LevelOf(g);
        if (j < 8 && v == levels[k + 3]) break;
        levels[k + 3] = v;
      }
    }
  }
}

// start[k] = (16 s + 7 s of the pixel behind in scanning direction) div 16
// for row 0 (no pixel behind the row's first one); padded holds the row's
// bytes with three zeros at either end.
VELMAR_HOT_LOOP void LevelFirst(const std::uint8_t* VELMAR_RESTRICT padded, int n, std::int16_t* VELMAR_RESTRICT start) {
  for (int k = 0; k < n; ++k) {
    const std::int16_t sum = static_cast<std::int16_t>(16 * padded[k + 3] + 7 * padded[k]);
    start[k] = static_cast<std::int16_t>(sum >> 4);
  }
}

// Writes one row's levels (the last row).
VELMAR_HOT_LOOP void LevelWrite(const std::uint16_t* VELMAR_RESTRICT levels, int n, std::uint8_t* VELMAR_RESTRICT p) {
  for (int k = 0; k < n; ++k) p[k] = static_cast<std::uint8_t>(levels[k + 3]);
}

// Writes one row's levels and the next row's start values: (16 s + the
// shares of this row's errors + 7 s of the pixel behind) div 16. The next
// row runs the other way, so this row's pixel behind is its pixel ahead: 5 e
// down, e from the pixel that was behind, 3 e from the one that was ahead.
// levels and cur carry three margin entries at either end (level 0, value
// 0, so error 0). Every term fits 16 bits (at most 16 * 255 + 9 * 255 +
// 7 * 255 in all), which lets the loop work on 16-bit lanes.
template <int Behind>
VELMAR_HOT_LOOP void LevelSettle(const std::uint16_t* VELMAR_RESTRICT levels, int n,
                                 const std::uint8_t* VELMAR_RESTRICT cur, std::uint8_t* VELMAR_RESTRICT p,
                                 const std::uint8_t* VELMAR_RESTRICT next, std::int16_t* VELMAR_RESTRICT start) {
  for (int k = 0; k < n; ++k) {
    const std::int16_t v = static_cast<std::int16_t>(levels[k + 3]);
    p[k] = static_cast<std::uint8_t>(v);
    const std::int16_t here = static_cast<std::int16_t>(cur[k + 3] - v);
    const std::int16_t wasBehind = static_cast<std::int16_t>(cur[k + 3 - Behind] - levels[k + 3 - Behind]);
    const std::int16_t wasAhead = static_cast<std::int16_t>(cur[k + 3 + Behind] - levels[k + 3 + Behind]);
    const std::int16_t s = next[k + 3];
    const std::int16_t sBehind = next[k + 3 + Behind];
    const std::int16_t sum = static_cast<std::int16_t>(
        static_cast<std::int16_t>(16 * s) + static_cast<std::int16_t>(5 * here) + wasBehind +
        static_cast<std::int16_t>(3 * wasAhead) + static_cast<std::int16_t>(7 * sBehind));
    start[k] = static_cast<std::int16_t>(sum >> 4);
  }
}

void DitherLevelsInRange(Picture& picture, int Min, int Max, std::int32_t mask) {
  const int w = picture.width();
  const int h = picture.height();
  const int n = 3 * w;

  std::vector<std::uint8_t> steps(kStepsFront + (kQuotientHigh - kQuotientLow + 1));
  for (int q = kQuotientLow; q <= kQuotientHigh; ++q) {
    const std::int32_t v = ClampRange(q, Min, Max) & mask;  // a multiple of 16
    steps[kStepsFront + (kQuotientHigh - q)] = static_cast<std::uint8_t>(7 * v / 16);
  }
  // Within 0..255 only the low byte of the mask matters.
  const LevelLimits limits = {lanes::Splat(Min), lanes::Splat(Max), lanes::Splat(mask & 0xFF)};
  std::vector<lanes::Vec8> scratch(static_cast<std::size_t>(3 * (w / 8)));

  const std::size_t padded = static_cast<std::size_t>(n) + 6;
  std::vector<std::uint8_t> rowA(padded, 0), rowB(padded, 0);
  std::vector<std::uint16_t> levels(padded, 0);
  std::uint8_t* cur = rowA.data();
  std::uint8_t* next = rowB.data();
  std::vector<std::int16_t> start(n);
  std::memcpy(cur + 3, picture.row(0), static_cast<std::size_t>(n));
  LevelFirst(cur, n, start.data());
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* ahead = y + 1 < h ? picture.row(y + 1) : nullptr;
    if ((y & 1) == 0) {
      LevelRow<1>(start.data(), w, steps.data(), limits, levels.data(), scratch.data(), ahead);
    } else {
      LevelRow<-1>(start.data(), w, steps.data(), limits, levels.data(), scratch.data(), ahead);
    }
    if (ahead == nullptr) {
      LevelWrite(levels.data(), n, picture.row(y));
      break;
    }
    std::memcpy(next + 3, ahead, static_cast<std::size_t>(n));
    if ((y & 1) == 0) {
      LevelSettle<3>(levels.data(), n, cur, picture.row(y), next, start.data());
    } else {
      LevelSettle<-3>(levels.data(), n, cur, picture.row(y), next, start.data());
    }
    std::swap(cur, next);
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
