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
// The row pairs do not overlap, so eight of them run side by side as the
// 16-bit lanes of one vector; tiles of 8 x 8 values are transposed on the
// way in and out.
using lanes::LoadBytes;
using lanes::StoreBytes;
using lanes::Transpose;
using lanes::Vec8;
constexpr int kPairLanes = 8;

// Pushes each lane's block average toward the channels above the level.
inline void Tint(Vec8& r, Vec8& g, Vec8& b, Vec8 level) {
  Vec8 m = r > level;
  r += m & 10;
  g -= m & 5;
  b -= m & 5;
  m = g > level;
  g += m & 10;
  r -= m & 5;
  b -= m & 5;
  m = b > level;
  b += m & 10;
  r -= m & 5;
  g -= m & 5;
  const Vec8 zero = {};
  const Vec8 top = zero + 255;
  r = r < zero ? zero : r;
  g = g < zero ? zero : g;
  b = b < zero ? zero : b;
  r = r > top ? top : r;
  g = g > top ? top : g;
  b = b > top ? top : b;
}

// One group of up to eight row pairs; lanes beyond `used` repeat the last
// pair and are not written back. `sums` holds 3 W vectors.
template <bool kTint>
void RowPairGroup(std::uint8_t* const* top, std::uint8_t* const* bottom, int used, int w, int level, Vec8* sums) {
  const int n = 3 * w;
  const int tiled = n - n % 8;
  for (int k0 = 0; k0 < tiled; k0 += 8) {
    Vec8 m[8];
    for (int j = 0; j < 8; ++j) m[j] = LoadBytes(top[j] + k0) + LoadBytes(bottom[j] + k0);
    Transpose(m);
    for (int i = 0; i < 8; ++i) sums[k0 + i] = m[i];
  }
  for (int k = tiled; k < n; ++k) {
    for (int j = 0; j < 8; ++j) sums[k][j] = static_cast<std::int16_t>(top[j][k] + bottom[j][k]);
  }

  const Vec8 lv = Vec8{} + static_cast<std::int16_t>(level);
  Vec8 b = (sums[0] + sums[3]) >> 2;
  Vec8 g = (sums[1] + sums[4]) >> 2;
  Vec8 r = (sums[2] + sums[5]) >> 2;
  if constexpr (kTint) Tint(r, g, b, lv);
  sums[0] = b;
  sums[1] = g;
  sums[2] = r;
  for (int x = 1; x < w - 1; ++x) {
    const Vec8* next = sums + 3 * (x + 1);
    b = (b + b + next[0]) >> 2;
    g = (g + g + next[1]) >> 2;
    r = (r + r + next[2]) >> 2;
    if constexpr (kTint) Tint(r, g, b, lv);
    sums[3 * x] = b;
    sums[3 * x + 1] = g;
    sums[3 * x + 2] = r;
  }
  sums[3 * (w - 1)] = b;
  sums[3 * (w - 1) + 1] = g;
  sums[3 * (w - 1) + 2] = r;

  for (int k0 = 0; k0 < tiled; k0 += 8) {
    Vec8 m[8];
    for (int i = 0; i < 8; ++i) m[i] = sums[k0 + i];
    Transpose(m);
    for (int j = 0; j < used; ++j) {
      StoreBytes(top[j] + k0, m[j]);
      StoreBytes(bottom[j] + k0, m[j]);
    }
  }
  for (int k = tiled; k < n; ++k) {
    for (int j = 0; j < used; ++j) {
      top[j][k] = static_cast<std::uint8_t>(sums[k][j]);
      bottom[j][k] = static_cast<std::uint8_t>(sums[k][j]);
    }
  }
}

template <bool kTint>
void RowPairs(Picture& picture, int level) {
  const int w = picture.width();
  const int pairs = picture.height() / 2;
  if (w < 2 || pairs < 1) return;
  std::vector<Vec8> sums(static_cast<std::size_t>(3 * w));
  for (int first = 0; first < pairs; first += kPairLanes) {
    const int used = std::min(kPairLanes, pairs - first);
    std::uint8_t* top[kPairLanes];
    std::uint8_t* bottom[kPairLanes];
    for (int j = 0; j < kPairLanes; ++j) {
      const int pair = first + std::min(j, used - 1);
      top[j] = picture.row(2 * pair);
      bottom[j] = picture.row(2 * pair + 1);
    }
    RowPairGroup<kTint>(top, bottom, used, w, level, sums.data());
  }
}

// ---- EffectFog -------------------------------------------------------------
//
// As with the 2 x 2 blocks, block x + 1 shares its left column with block x,
// so with s = the three rows' sum per channel f(0) = (s(0) + s(1)) div 6 and
// f(x) = (3 f(x - 1) + s(x + 1)) div 6. Writing s = 6 q + r, that is
// q + f div 2 plus one when f is odd and r >= 3, which keeps the chain from
// one pixel to the next short. Block row y leaves rows y - 1, y and y + 1
// equal; row y - 1 is then final, and block row y + 1 reads two rows of that
// result and row y + 2.

VELMAR_HOT_LOOP void FogSplit(const std::uint8_t* a, const std::uint8_t* b, const std::uint8_t* c, int n,
                              std::uint8_t* quotient, std::uint8_t* odd) {
  for (int k = 0; k < n; ++k) {
    const std::uint16_t s = static_cast<std::uint16_t>(a[k] + b[k] + c[k]);
    const std::uint16_t q = static_cast<std::uint16_t>(s / 6);
    quotient[k] = static_cast<std::uint8_t>(q);
    odd[k] = static_cast<std::uint8_t>(s - 6 * q >= 3 ? 1 : 0);
  }
}

void FogRow(const unsigned (&first)[3], const std::uint8_t* quotient, const std::uint8_t* odd, int w,
            std::uint8_t* out) {
  unsigned b = first[0], g = first[1], r = first[2];
  out[0] = static_cast<std::uint8_t>(b);
  out[1] = static_cast<std::uint8_t>(g);
  out[2] = static_cast<std::uint8_t>(r);
  for (int x = 1; x < w - 1; ++x) {
    const int e = 3 * (x + 1);
    b = quotient[e] + (b >> 1) + (b & odd[e]);
    g = quotient[e + 1] + (g >> 1) + (g & odd[e + 1]);
    r = quotient[e + 2] + (r >> 1) + (r & odd[e + 2]);
    out[3 * x] = static_cast<std::uint8_t>(b);
    out[3 * x + 1] = static_cast<std::uint8_t>(g);
    out[3 * x + 2] = static_cast<std::uint8_t>(r);
  }
  out[3 * (w - 1)] = static_cast<std::uint8_t>(b);
  out[3 * (w - 1) + 1] = static_cast<std::uint8_t>(g);
  out[3 * (w - 1) + 2] = static_cast<std::uint8_t>(r);
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

void EffectNoiseBlur(Picture& picture) { RowPairs<false>(picture, 255); }

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
  std::vector<std::uint8_t> quotient(n), odd(n);
  for (int y = 1; y + 1 < h; ++y) {
    const std::uint8_t* a = picture.row(y == 1 ? 0 : y - 2);
    const std::uint8_t* b = picture.row(y == 1 ? 1 : y - 2);
    const std::uint8_t* c = picture.row(y + 1);
    unsigned first[3];
    for (int ch = 0; ch < 3; ++ch) {
      first[ch] = (a[ch] + b[ch] + c[ch] + a[ch + 3] + b[ch + 3] + c[ch + 3]) / 6;
    }
    FogSplit(a, b, c, n, quotient.data(), odd.data());
    FogRow(first, quotient.data(), odd.data(), w, picture.row(y - 1));
  }
  std::memcpy(picture.row(h - 2), picture.row(h - 3), static_cast<std::size_t>(n));
  std::memcpy(picture.row(h - 1), picture.row(h - 3), static_cast<std::size_t>(n));
}

void EffectColorDepth(std::uint8_t Level, Picture& picture) { RowPairs<true>(picture, Level); }

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
