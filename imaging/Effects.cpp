#include "imaging/Effects.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/HotLoops.h"
#include "imaging/Lanes.h"
#include "imaging/PixelOps.h"

namespace velmar {

namespace {

// ---- The 2 x 2 cascade along one row of blocks -----------------------------
//
// Within a row of blocks, block x + 1 shares its left column with block x,
// which block x has just set to its average a. So with c = top + bottom per
// channel, a(0) = (c(0) + c(1)) shr 2 and a(x) = (2 a(x - 1) + c(x + 1)) shr 2,
// and both rows of the pair end as a(0), ..., a(W - 2), a(W - 2).

VELMAR_HOT_LOOP void SumRows(const std::uint8_t* a, const std::uint8_t* b, int n, std::uint16_t* sum) {
  for (int k = 0; k < n; ++k) sum[k] = static_cast<std::uint16_t>(a[k] + b[k]);
}

void CascadeRow(const std::uint16_t* c, int w, std::uint8_t* out) {
  unsigned b = (c[0] + c[3]) >> 2;
  unsigned g = (c[1] + c[4]) >> 2;
  unsigned r = (c[2] + c[5]) >> 2;
  out[0] = static_cast<std::uint8_t>(b);
  out[1] = static_cast<std::uint8_t>(g);
  out[2] = static_cast<std::uint8_t>(r);
  for (int x = 1; x < w - 1; ++x) {
    const std::uint16_t* next = c + 3 * (x + 1);
    b = (2 * b + next[0]) >> 2;
    g = (2 * g + next[1]) >> 2;
    r = (2 * r + next[2]) >> 2;
    out[3 * x] = static_cast<std::uint8_t>(b);
    out[3 * x + 1] = static_cast<std::uint8_t>(g);
    out[3 * x + 2] = static_cast<std::uint8_t>(r);
  }
  out[3 * (w - 1)] = static_cast<std::uint8_t>(b);
  out[3 * (w - 1) + 1] = static_cast<std::uint8_t>(g);
  out[3 * (w - 1) + 2] = static_cast<std::uint8_t>(r);
}

// Rows of blocks overlap too: block row y reads row y, which block row y - 1
// has already set to its results, the same ones it wrote into row y - 1. So
// block row y averages row y - 1 (final) with row y + 1 (untouched) and its
// results are final for row y; the last row repeats the row above it.
void BlurOnce(Picture& picture) {
  const int w = picture.width();
  const int h = picture.height();
  const int n = 3 * w;
  std::vector<std::uint16_t> sums(n);
  for (int y = 0; y + 1 < h; ++y) {
    SumRows(picture.row(y == 0 ? 0 : y - 1), picture.row(y + 1), n, sums.data());
    CascadeRow(sums.data(), w, picture.row(y));
  }
  std::memcpy(picture.row(h - 1), picture.row(h - 2), static_cast<std::size_t>(n));
}

// ---- Several blurs at once -------------------------------------------------
//
// Blur k reads, as the bottom of its block row y, row y + 1 of blur k - 1's
// finished picture; that row is finished once blur k - 1 has done block row
// y + 1. Running blur k two block rows behind blur k - 1 lets every blur do
// one block row per step, all from the rows the step before left: blur k's
// block row y adds the row it wrote itself one step earlier (row y - 1 of its
// own result) to the row blur k - 1 wrote one step earlier (its row y + 1).
// The blurs are the 16-bit lanes of one vector, lane 0 holding the source
// row that blur 1 needs next; lane k - 1 is lane k's bottom.
//
// Before its first block row a lane copies the lane below it, so that at
// block row 0 it holds blur k - 1's row 0; after its last one it keeps its
// last row, which is also its bottom row. Both fix-ups only happen while the
// pipeline fills and drains.
constexpr int kLanes = 16;
using Lanes = std::uint16_t __attribute__((vector_size(2 * kLanes)));

// Top plus bottom of every lane of element e: the lane itself and the lane
// below it. (By reference: a 32-byte vector by value changes the calling
// convention between the two instruction sets.)
__attribute__((always_inline)) inline void LaneSums(const std::uint16_t* lanes, int e, Lanes& sum) {
  Lanes self, below;
  std::memcpy(&self, lanes + static_cast<std::size_t>(e) * kLanes, sizeof self);
  std::memcpy(&below, lanes + static_cast<std::size_t>(e) * kLanes - 1, sizeof below);
  sum = self + below;
}

__attribute__((always_inline)) inline void StoreLanes(std::uint16_t* lanes, int e, const Lanes& v) {
  std::memcpy(lanes + static_cast<std::size_t>(e) * kLanes, &v, sizeof v);
}

VELMAR_HOT_LOOP void BlurLanes(const std::uint16_t* from, std::uint16_t* VELMAR_RESTRICT to, int w) {
  Lanes b, g, r, c0, c1, c2;
  LaneSums(from, 0, b);
  LaneSums(from, 1, g);
  LaneSums(from, 2, r);
  LaneSums(from, 3, c0);
  LaneSums(from, 4, c1);
  LaneSums(from, 5, c2);
  b = (b + c0) >> 2;
  g = (g + c1) >> 2;
  r = (r + c2) >> 2;
  StoreLanes(to, 0, b);
  StoreLanes(to, 1, g);
  StoreLanes(to, 2, r);
  for (int x = 1; x < w - 1; ++x) {
    const int e = 3 * (x + 1);
    LaneSums(from, e, c0);
    LaneSums(from, e + 1, c1);
    LaneSums(from, e + 2, c2);
    b = (b + b + c0) >> 2;
    g = (g + g + c1) >> 2;
    r = (r + r + c2) >> 2;
    StoreLanes(to, 3 * x, b);
    StoreLanes(to, 3 * x + 1, g);
    StoreLanes(to, 3 * x + 2, r);
  }
  StoreLanes(to, 3 * (w - 1), b);
  StoreLanes(to, 3 * (w - 1) + 1, g);
  StoreLanes(to, 3 * (w - 1) + 2, r);
}

void PutLane(const std::uint8_t* row, int n, int lane, std::uint16_t* lanes) {
  for (int e = 0; e < n; ++e) lanes[static_cast<std::size_t>(e) * kLanes + lane] = row[e];
}

void TakeLane(const std::uint16_t* lanes, int n, int lane, std::uint8_t* row) {
  for (int e = 0; e < n; ++e) row[e] = static_cast<std::uint8_t>(lanes[static_cast<std::size_t>(e) * kLanes + lane]);
}

void CopyLane(const std::uint16_t* from, int fromLane, std::uint16_t* to, int toLane, int n) {
  for (int e = 0; e < n; ++e) {
    to[static_cast<std::size_t>(e) * kLanes + toLane] = from[static_cast<std::size_t>(e) * kLanes + fromLane];
  }
}

// count blurs, 2..kLanes - 1, on a picture of at least 2 x 2.
void BlurSeveral(Picture& picture, int count) {
  const int w = picture.width();
  const int h = picture.height();
  const int n = 3 * w;
  // One spare vector in front: lane 0 of element 0 reads the lane "below" it.
  const std::size_t size = static_cast<std::size_t>(n + 1) * kLanes;
  std::vector<std::uint16_t> bufferA(size, 0), bufferB(size, 0);
  std::uint16_t* from = bufferA.data() + kLanes;
  std::uint16_t* to = bufferB.data() + kLanes;

  PutLane(picture.row(0), n, 0, from);
  const int lastStep = (h - 2) + 2 * (count - 1);
  for (int step = -1; step <= lastStep; ++step) {
    BlurLanes(from, to, w);
    for (int k = 1; k <= count; ++k) {
      const int y = step - 2 * (k - 1);
      if (y < 0) CopyLane(from, k - 1, to, k, n);
      if (y > h - 2) CopyLane(from, k, to, k, n);
    }
    const int done = step - 2 * (count - 1);
    if (done >= 0) {
      TakeLane(to, n, count, picture.row(done));
      if (done == h - 2) TakeLane(to, n, count, picture.row(h - 1));
    }
    if (step + 2 < h) PutLane(picture.row(step + 2), n, 0, to);
    std::swap(from, to);
  }
}

// ---- Row pairs: EffectNoiseBlur and EffectColorDepth -----------------------
//
// The row pairs do not overlap, so sixteen of them run side by side as the
// byte lanes of one vector; tiles of 16 x 16 bytes are transposed on the way
// in and out. Everything stays within bytes: with u = (t + b) div 2 of the
// two rows, (2 a + t + b) shr 2 is (a + u) div 2 exactly. Only the first
// block, (t0 + b0 + t1 + b1) shr 2, is not (u0 + u1) div 2, and is taken
// apart.
using lanes::Vec16;
constexpr int kPairLanes = 16;

// Pushes each lane's block average toward the channels above the level:
// with m the three tests in turn and S = 5 (mr + mg + mb), a channel ends at
// a + 15 m - S, which is a rise (clamped at 255) for a channel that passed
// its test and a fall (clamped at 0) for one that did not. Green is tested
// as lowered by 5 if red passed, that is against level + 5; blue against
// level, level + 5 or level + 10 by how many of red and green passed. The
// comparisons are all made at once and the results picked, which keeps the
// chain from one block to the next short. A raised level beyond 255 leaves
// nothing above it.
struct TintLevels {
  Vec16 level, plus5, plus10;
};

__attribute__((always_inline)) inline void Tint(Vec16& r, Vec16& g, Vec16& b, const TintLevels& t) {
  const Vec16 five = lanes::Splat16(5);
  const Vec16 mr = r > t.level;
  const Vec16 mg = mr ? (g > t.plus5) : (g > t.level);
  const Vec16 both = mr & mg;
  const Vec16 one = mr ^ mg;
  const Vec16 mb = both ? (b > t.plus10) : (one ? (b > t.plus5) : (b > t.level));
  const Vec16 sum = (mr & five) + (mg & five) + (mb & five);
  const Vec16 rise = lanes::Splat16(15) - sum;
  const auto apply = [&](Vec16 a, Vec16 passed) {
    const Vec16 up = a + lanes::Min(rise, ~a);
    const Vec16 down = a - lanes::Min(sum, a);
    return passed ? up : down;
  };
  r = apply(r, mr);
  g = apply(g, mg);
  b = apply(b, mb);
}

// Moves `count` elements of 16 row pairs, from element k0 on, into lanes:
// halves[i] holds (t + b) div 2 of element k0 + i of every pair.
__attribute__((always_inline)) inline void PairsToLanes(std::uint8_t* const* top, std::uint8_t* const* bottom,
                                                        int k0, int count, Vec16* halves) {
  const int tiled = count - count % 16;
  for (int i0 = 0; i0 < tiled; i0 += 16) {
    Vec16 m[16];
    for (int j = 0; j < 16; ++j) {
      m[j] = lanes::FloorAverage(lanes::Load16(top[j] + k0 + i0), lanes::Load16(bottom[j] + k0 + i0));
    }
    lanes::Transpose(m);
    for (int i = 0; i < 16; ++i) halves[i0 + i] = m[i];
  }
  for (int i = tiled; i < count; ++i) {
    for (int j = 0; j < 16; ++j) {
      halves[i][j] = static_cast<std::uint8_t>((top[j][k0 + i] + bottom[j][k0 + i]) >> 1);
    }
  }
}

// Stores `count` elements of lanes, from element k0 on, into both rows of
// the first `used` pairs.
__attribute__((always_inline)) inline void PairsFromLanes(const Vec16* values, int k0, int count, int used,
                                                          std::uint8_t* const* top, std::uint8_t* const* bottom) {
  const int tiled = count - count % 16;
  for (int i0 = 0; i0 < tiled; i0 += 16) {
    Vec16 m[16];
    for (int i = 0; i < 16; ++i) m[i] = values[i0 + i];
    lanes::Transpose(m);
    for (int j = 0; j < used; ++j) {
      lanes::Store16(top[j] + k0 + i0, m[j]);
      lanes::Store16(bottom[j] + k0 + i0, m[j]);
    }
  }
  for (int i = tiled; i < count; ++i) {
    for (int j = 0; j < used; ++j) {
      top[j][k0 + i] = values[i][j];
      bottom[j][k0 + i] = values[i][j];
    }
  }
}

// Blocks are taken in stretches of kStretch, so that the lanes of a stretch
// stay in the first-level cache between the way in, the cascade and the way
// out.
constexpr int kStretch = 256;

struct PairGroup {
  std::uint8_t* const* top;
  std::uint8_t* const* bottom;
  int used;
  Vec16* in;   // kStretch * 3 vectors
  Vec16* out;  // kStretch * 3 vectors
  Vec16 b, g, r;
};

// Two groups of 16 row pairs; the cascades of the two run interleaved so
// that one's chain fills the other's waits. Lanes beyond `used` repeat the
// last pair and are not written back; group B's `used` may be 0 (then it is
// a copy of A that is never stored).
template <bool kTint>
__attribute__((always_inline)) inline void RowPairGroups(PairGroup& A, PairGroup& B, int w, int level) {
  const TintLevels lv = {lanes::Splat16(level), lanes::Splat16(std::min(level + 5, 255)),
                         lanes::Splat16(std::min(level + 10, 255))};
  PairGroup* groups[2] = {&A, &B};
  for (PairGroup* p : groups) {
    Vec16 first[3];
    for (int c = 0; c < 3; ++c) {
      for (int j = 0; j < 16; ++j) {
        first[c][j] = static_cast<std::uint8_t>(
            (p->top[j][c] + p->bottom[j][c] + p->top[j][c + 3] + p->bottom[j][c + 3]) >> 2);
      }
    }
    p->b = first[0];
    p->g = first[1];
    p->r = first[2];
    if constexpr (kTint) Tint(p->r, p->g, p->b, lv);
  }
  // Block x averages columns x and x + 1 and its result is column x's;
  // block 0 is the first block above, the last column repeats the last block.
  const int blocks = w - 1;
  for (int b0 = 0; b0 < blocks; b0 += kStretch) {
    const int count = std::min(kStretch, blocks - b0);
    for (PairGroup* p : groups) PairsToLanes(p->top, p->bottom, 3 * (b0 + 1), 3 * count, p->in);
    Vec16 b1 = A.b, g1 = A.g, r1 = A.r, b2 = B.b, g2 = B.g, r2 = B.r;
    int i = 0;
    if (b0 == 0) {
      A.out[0] = b1;
      A.out[1] = g1;
      A.out[2] = r1;
      B.out[0] = b2;
      B.out[1] = g2;
      B.out[2] = r2;
      i = 1;
    }
    for (; i < count; ++i) {
      // Block b0 + i reads column b0 + i + 1, whose elements start at in[3 i].
      const Vec16* na = A.in + 3 * i;
      const Vec16* nb = B.in + 3 * i;
      b1 = lanes::FloorAverage(b1, na[0]);
      g1 = lanes::FloorAverage(g1, na[1]);
      r1 = lanes::FloorAverage(r1, na[2]);
      b2 = lanes::FloorAverage(b2, nb[0]);
      g2 = lanes::FloorAverage(g2, nb[1]);
      r2 = lanes::FloorAverage(r2, nb[2]);
      if constexpr (kTint) {
        Tint(r1, g1, b1, lv);
        Tint(r2, g2, b2, lv);
      }
      A.out[3 * i] = b1;
      A.out[3 * i + 1] = g1;
      A.out[3 * i + 2] = r1;
      B.out[3 * i] = b2;
      B.out[3 * i + 1] = g2;
      B.out[3 * i + 2] = r2;
    }
    A.b = b1, A.g = g1, A.r = r1, B.b = b2, B.g = g2, B.r = r2;
    // A stretch's columns are final once its blocks are done; the next
    // stretch reads from column b0 + count + 1 on.
    for (PairGroup* p : groups) {
      if (p->used > 0) PairsFromLanes(p->out, 3 * b0, 3 * count, p->used, p->top, p->bottom);
    }
  }
  for (PairGroup* p : groups) {
    const Vec16 last[3] = {p->b, p->g, p->r};
    for (int j = 0; j < p->used; ++j)
      for (int c = 0; c < 3; ++c) {
        p->top[j][3 * blocks + c] = last[c][j];
        p->bottom[j][3 * blocks + c] = last[c][j];
      }
  }
}

VELMAR_HOT_LOOP void TintedPairGroups(PairGroup& A, PairGroup& B, int w, int level) {
  RowPairGroups<true>(A, B, w, level);
}

VELMAR_HOT_LOOP void PlainPairGroups(PairGroup& A, PairGroup& B, int w) { RowPairGroups<false>(A, B, w, 255); }

// Level 255 tints nothing: EffectNoiseBlur.
void RowPairs(Picture& picture, int level) {
  const int w = picture.width();
  const int pairs = picture.height() / 2;
  if (w < 2 || pairs < 1) return;
  std::vector<Vec16> work(static_cast<std::size_t>(4 * 3 * kStretch));
  for (int first = 0; first < pairs; first += 2 * kPairLanes) {
    const int usedA = std::min(kPairLanes, pairs - first);
    const int usedB = std::clamp(pairs - first - kPairLanes, 0, kPairLanes);
    std::uint8_t* top[2 * kPairLanes];
    std::uint8_t* bottom[2 * kPairLanes];
    for (int j = 0; j < 2 * kPairLanes; ++j) {
      // Lanes past the pairs there are repeat the last one.
      const int pair = std::min(first + j, pairs - 1);
      top[j] = picture.row(2 * pair);
      bottom[j] = picture.row(2 * pair + 1);
    }
    PairGroup A = {top, bottom, usedA, work.data(), work.data() + 3 * kStretch, {}, {}, {}};
    PairGroup B = {top + kPairLanes, bottom + kPairLanes, usedB, work.data() + 6 * kStretch,
                   work.data() + 9 * kStretch, {}, {}, {}};
    if (level < 255) {
      TintedPairGroups(A, B, w, level);
    } else {
      PlainPairGroups(A, B, w);
    }
  }
}

// ---- EffectFog -------------------------------------------------------------
//
// As with the 2 x 2 blocks, block x + 1 shares its left column with block x,
// so with s = the three rows' sum per channel f(0) = (s(0) + s(1)) div 6 and
// f(x) = (3 f(x - 1) + s(x + 1)) div 6. Writing s = 6 q + r, that is
// q + f div 2 plus one when f is odd and r >= 3, which keeps the chain from
// one block to the next short. Block row y leaves rows y - 1, y and y + 1
// equal; row y - 1 is then final, and block row y + 1 reads two rows of that
// result and row y + 2.
//
// The chain runs on eight pieces of the row at once, the lanes of a vector.
// Each piece starts from 0; once the true value before it is known it is run
// again from its first block until a value comes out as it did (f halves the
// difference of two starts at every block, so that happens within a few
// blocks), and from there on it is right. The first piece is run again from
// the first block's own average; the blocks beyond eight equal pieces follow
// the last piece.
constexpr int kShortestFogLane = 16;

// q | (r >= 3) << 8 for the sum of three rows.
VELMAR_HOT_LOOP void FogSplit(const std::uint8_t* VELMAR_RESTRICT a, const std::uint8_t* VELMAR_RESTRICT b,
                              const std::uint8_t* VELMAR_RESTRICT c, int n, std::int16_t* VELMAR_RESTRICT split) {
  for (int k = 0; k < n; ++k) {
    const std::uint16_t s = static_cast<std::uint16_t>(a[k] + b[k] + c[k]);
    const std::uint16_t q = static_cast<std::uint16_t>(s / 6);
    const std::uint16_t odd = static_cast<std::uint16_t>(s - 6 * q) >= 3 ? 256 : 0;
    split[k] = static_cast<std::int16_t>(q | odd);
  }
}

inline unsigned FogNext(unsigned f, std::int16_t split) {
  const unsigned q = static_cast<unsigned>(split) & 255u;
  const unsigned odd = static_cast<unsigned>(split) >> 8;
  return q + ((f + (f & odd)) >> 1);
}

// values[e]: splits in, block averages out.
VELMAR_HOT_LOOP void FogInLanes(lanes::Vec8* VELMAR_RESTRICT values, int length) {
  lanes::Vec8 f0 = {}, f1 = {}, f2 = {};
  for (int e = 0; e < length; e += 3) {
    const lanes::Vec8 s0 = values[e], s1 = values[e + 1], s2 = values[e + 2];
    f0 = (s0 & 255) + ((f0 + (f0 & (s0 >> 8))) >> 1);
    f1 = (s1 & 255) + ((f1 + (f1 & (s1 >> 8))) >> 1);
    f2 = (s2 & 255) + ((f2 + (f2 & (s2 >> 8))) >> 1);
    values[e] = f0;
    values[e + 1] = f1;
    values[e + 2] = f2;
  }
}

VELMAR_HOT_LOOP void SplitsToLanes(const std::int16_t* src, int length, lanes::Vec8* out) {
  lanes::ToLanes(src, length, length, out);
}

VELMAR_HOT_LOOP void AveragesFromLanes(const lanes::Vec8* in, int length, std::int16_t* dst) {
  lanes::FromLanes(in, length, dst, length);
}

VELMAR_HOT_LOOP void WriteAverages(const std::int16_t* VELMAR_RESTRICT averages, int n, std::uint8_t* VELMAR_RESTRICT out) {
  for (int k = 0; k < n; ++k) out[k] = static_cast<std::uint8_t>(averages[k]);
}

// One block row: split holds the rows' sums as split by FogSplit; first the
// first block's averages; averages (3 W values) and scratch are work space.
void FogRow(const std::int16_t* split, const unsigned (&first)[3], int w, std::int16_t* averages,
            lanes::Vec8* scratch, std::uint8_t* out) {
  const int blocks = w - 1;  // block x averages columns x and x + 1, its chain input is column x + 1
  const int length = blocks / 8 >= kShortestFogLane ? blocks / 8 : 0;
  if (length > 0) {
    SplitsToLanes(split + 3, 3 * length, scratch);
    FogInLanes(scratch, 3 * length);
    AveragesFromLanes(scratch, 3 * length, averages);
  }
  for (int j = 0; j <= 8; ++j) {
    const int begin = j * length;
    const int end = j < 8 ? (j + 1) * length : blocks;
    if (begin >= end) continue;
    for (int c = 0; c < 3; ++c) {
      unsigned f = begin == 0 ? first[c] : static_cast<unsigned>(averages[3 * (begin - 1) + c]);
      int x = begin;
      if (begin == 0) {
        if (length > 0 && averages[c] == static_cast<std::int16_t>(f)) continue;
        averages[c] = static_cast<std::int16_t>(f);
        x = 1;
      }
      for (; x < end; ++x) {
        f = FogNext(f, split[3 * (x + 1) + c]);
        if (j < 8 && averages[3 * x + c] == static_cast<std::int16_t>(f)) break;
        averages[3 * x + c] = static_cast<std::int16_t>(f);
      }
    }
  }
  for (int c = 0; c < 3; ++c) averages[3 * blocks + c] = averages[3 * (blocks - 1) + c];
  WriteAverages(averages, 3 * w, out);
}

// ---- Single pixels and separate blocks ---------------------------------------

VELMAR_HOT_LOOP void PixelizeRows(std::uint8_t* top, std::uint8_t* bottom, int blocks) {
  for (int i = 0; i < blocks; ++i) {
    std::uint8_t* t = top + 6 * i;
    std::uint8_t* u = bottom + 6 * i;
    for (int c = 0; c < 3; ++c) {
      const std::uint8_t a = static_cast<std::uint8_t>((t[c] + t[c + 3] + u[c] + u[c + 3]) >> 2);
      t[c] = a;
      t[c + 3] = a;
      u[c] = a;
      u[c + 3] = a;
    }
  }
}

VELMAR_HOT_LOOP void SepiaRows(Picture& picture, std::int16_t depth) {
  const int w = picture.width();
  for (int y = 0; y < picture.height(); ++y) {
    std::uint8_t* p = picture.row(y);
    for (int x = 0; x < w; ++x) {
      const std::uint16_t sum = static_cast<std::uint16_t>(p[3 * x] + p[3 * x + 1] + p[3 * x + 2]);
      const std::int16_t gray = static_cast<std::int16_t>(sum / 3);
      std::int16_t g = static_cast<std::int16_t>(gray + depth);
      std::int16_t r = static_cast<std::int16_t>(gray + 2 * depth);
      g = g < 0 ? 0 : (g > 255 ? 255 : g);
      r = r < 0 ? 0 : (r > 255 ? 255 : r);
      p[3 * x] = static_cast<std::uint8_t>(gray);
      p[3 * x + 1] = static_cast<std::uint8_t>(g);
      p[3 * x + 2] = static_cast<std::uint8_t>(r);
    }
  }
}

}  // namespace

void EffectBlur(Picture& picture) {
  if (picture.width() < 2 || picture.height() < 2) return;
  BlurOnce(picture);
}

void EffectNoiseBlur(Picture& picture) { RowPairs(picture, 255); }

void EffectGaussBlur(int Count, Picture& picture) {
  if (picture.width() < 2 || picture.height() < 2) return;
  while (Count > 0) {
    const int batch = std::min(Count, kLanes - 1);
    if (batch == 1) {
      BlurOnce(picture);
    } else {
      BlurSeveral(picture, batch);
    }
    Count -= batch;
  }
}

void EffectFog(Picture& picture) {
  const int w = picture.width();
  const int h = picture.height();
  if (h < 3 || w < 2) return;
  const int n = 3 * w;
  std::vector<std::int16_t> split(n), averages(n);
  std::vector<lanes::Vec8> scratch(static_cast<std::size_t>(3 * ((w - 1) / 8)));
  for (int y = 1; y + 1 < h; ++y) {
    const std::uint8_t* a = picture.row(y == 1 ? 0 : y - 2);
    const std::uint8_t* b = picture.row(y == 1 ? 1 : y - 2);
    const std::uint8_t* c = picture.row(y + 1);
    unsigned first[3];
    for (int ch = 0; ch < 3; ++ch) {
      first[ch] = (a[ch] + b[ch] + c[ch] + a[ch + 3] + b[ch + 3] + c[ch + 3]) / 6;
    }
    FogSplit(a, b, c, n, split.data());
    FogRow(split.data(), first, w, averages.data(), scratch.data(), picture.row(y - 1));
  }
  std::memcpy(picture.row(h - 2), picture.row(h - 3), static_cast<std::size_t>(n));
  std::memcpy(picture.row(h - 1), picture.row(h - 3), static_cast<std::size_t>(n));
}

void EffectColorDepth(std::uint8_t Level, Picture& picture) { RowPairs(picture, Level); }

void EffectPixelize(Picture& picture) {
  const int blocks = picture.width() / 2;
  for (int y = 0; y + 1 < picture.height() && blocks > 0; y += 2) {
    PixelizeRows(picture.row(y), picture.row(y + 1), blocks);
  }
}

void EffectSepia(Picture& picture, int Depth) {
  if (picture.empty()) return;
  // Beyond +-512 every tinted channel is 0 or 255 either way.
  const int depth = std::clamp(Depth, -512, 512);
  SepiaRows(picture, static_cast<std::int16_t>(depth));
}

}  // namespace velmar
