#pragma once

// The picture routines written the plain way, pixel by pixel on a working
// copy, as the routines are described. The library does the same work in
// fewer passes; the tests hold it to these results bit for bit.

#include <cmath>
#include <cstdint>
#include <vector>

#include "imaging/Picture.h"
#include "imaging/PixelOps.h"

namespace velmar::reference {

inline std::uint8_t& B(Picture& p, int x, int y) { return p.row(y)[3 * x]; }
inline std::uint8_t& G(Picture& p, int x, int y) { return p.row(y)[3 * x + 1]; }
inline std::uint8_t& R(Picture& p, int x, int y) { return p.row(y)[3 * x + 2]; }

inline int Offset(int amount) {
  const double k = amount >= 0 ? 1 + 2.5 * amount : 1 - 2.5 * -amount;
  return static_cast<int>(k);
}

inline void AdjustBrightness(Picture& picture, int amount) {
  if (amount == 0) return;
  Picture work;
  work.assign(picture);
  const int offset = Offset(amount);
  for (int y = 0; y < work.height(); ++y)
    for (int x = 0; x < work.width(); ++x) {
      R(work, x, y) = ClampByte(R(work, x, y) + offset);
      G(work, x, y) = ClampByte(G(work, x, y) + offset);
      B(work, x, y) = ClampByte(B(work, x, y) + offset);
    }
  picture.assign(work);
}

inline void AdjustContrast(Picture& picture, int amount) {
  if (amount == 0) return;
  const long double wide = amount > 0 ? 1.0L + static_cast<long double>(amount) / 10.0L
                                      : 1.0L - std::sqrt(static_cast<long double>(-amount)) / 10.0L;
  const double f = static_cast<double>(wide);
  for (int y = 0; y < picture.height(); ++y)
    for (int i = 0; i < 3 * picture.width(); ++i) {
      std::uint8_t& c = picture.row(y)[i];
      const long double t = static_cast<long double>(c - 128) * static_cast<long double>(f);
      c = ClampByte(static_cast<std::int32_t>(t) + 128);
    }
}

inline void AdjustRGB(Picture& picture, int red, int green, int blue) {
  Picture work;
  work.assign(picture);
  const int ro = red > 0 ? static_cast<int>(2.5 * red) + 1 : 1 - static_cast<int>(2.5 * -red);
  const int go = green > 0 ? static_cast<int>(2.5 * green) + 1 : 1 - static_cast<int>(2.5 * -green);
  const int bo = blue > 0 ? static_cast<int>(2.5 * blue) + 1 : 1 - static_cast<int>(2.5 * -blue);
  for (int y = 0; y < work.height(); ++y)
    for (int x = 0; x < work.width(); ++x) {
      R(work, x, y) = ClampByte(R(work, x, y) + ro);
      G(work, x, y) = ClampByte(G(work, x, y) + go);
      B(work, x, y) = ClampByte(B(work, x, y) + bo);
    }
  picture.assign(work);
}

inline int Average(Picture& p, int x, int y) { return (R(p, x, y) + G(p, x, y) + B(p, x, y)) / 3; }
inline int GrayFS(Picture& p, int x, int y) { return (76 * R(p, x, y) + 151 * G(p, x, y) + 29 * B(p, x, y)) >> 8; }
inline int GrayM(Picture& p, int x, int y) { return (76 * R(p, x, y) + 150 * G(p, x, y) + 30 * B(p, x, y)) >> 8; }

inline void Set(Picture& p, int x, int y, int r, int g, int b) {
  R(p, x, y) = static_cast<std::uint8_t>(r);
  G(p, x, y) = static_cast<std::uint8_t>(g);
  B(p, x, y) = static_cast<std::uint8_t>(b);
}

inline void MakeGrayScale(Picture& picture) {
  Picture work;
  work.assign(picture);
  for (int y = 0; y < work.height(); ++y)
    for (int x = 0; x < work.width(); ++x) {
      const int g = Average(work, x, y);
      Set(work, x, y, g, g, g);
    }
  picture.assign(work);
}

inline void MakeBinary(std::uint8_t level, std::uint8_t mode, Picture& picture) {
  Picture work;
  work.assign(picture);
  for (int y = 0; y < work.height(); ++y)
    for (int x = 0; x < work.width(); ++x) {
      const int g = Average(work, x, y);
      int v = g < level ? 0 : 255;
      if (g == level) {
        if (mode == 0) v = 255;
        if (mode == 1) v = 0;
      }
      Set(work, x, y, v, v, v);
    }
  picture.assign(work);
}

template <int N>
inline void Ordered(Picture& picture, const int (&table)[N][N]) {
  Picture work;
  work.assign(picture);
  for (int y = 0; y < work.height(); ++y)
    for (int x = 0; x < work.width(); ++x) {
      const int v = GrayM(work, x, y) >= table[y % N][x % N] ? 255 : 0;
      Set(work, x, y, v, v, v);
    }
  picture.assign(work);
}

// The error grid of (W + 1) x (H + 1) cells with flat offsets.
template <class Gray, class Threshold>
inline void Diffuse(Picture& picture, Gray gray, Threshold threshold) {
  Picture work;
  work.assign(picture);
  const int w = work.width();
  const int h = work.height();
  std::vector<std::int32_t> grid(static_cast<std::size_t>(w + 1) * (h + 1), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) grid[y * (w + 1) + x] = gray(work, x, y);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int i = y * (w + 1) + x;
      const int old = grid[i];
      const int nw = old >= threshold(x, y) ? 255 : 0;
      const int err = old - nw;
      grid[i] = nw;
      grid[i + 1] += (err * 7) / 16;
      grid[i + w] += (err * 3) / 16;
      grid[i + w + 1] += (err * 5) / 16;
      grid[i + w + 2] += err / 16;
    }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int v = grid[y * (w + 1) + x];
      Set(work, x, y, v, v, v);
    }
  picture.assign(work);
}

inline void DitherFloydSteinberg(Picture& picture) {
  Diffuse(picture, GrayFS, [](int, int) { return 128; });
}

template <class Table>
inline void DitherFSMatrix4x4(Picture& picture, const Table& matrix) {
  Diffuse(picture, GrayM, [&](int x, int y) { return matrix[y % 4][x % 4]; });
}

inline void DitherLevels(Picture& picture, int min, int max, int dither) {
  const auto mask = static_cast<std::int32_t>(static_cast<std::uint32_t>(dither) << 4);  // shifted left by four bits
  Picture work;
  work.assign(picture);
  const int w = picture.width();
  std::vector<std::int32_t> store[6];
  for (auto& s : store) s.assign(w + 2, 0);
  std::int32_t* cur[3] = {store[0].data(), store[1].data(), store[2].data()};
  std::int32_t* next[3] = {store[3].data(), store[4].data(), store[5].data()};
  int d = 1;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = d > 0 ? 0 : w - 1; x >= 0 && x < w; x += d) {
      for (int c = 0; c < 3; ++c) {
        const int s = picture.row(y)[3 * x + c];
        std::int32_t v = (16 * s + cur[c][x + 1]) / 16;
        v = ClampRange(v, min, max);
        v = v & mask;
        work.row(y)[3 * x + c] = static_cast<std::uint8_t>(v & 0xFF);
        const int e = s - v;
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
  picture.assign(work);
}

// 2 x 2 blocks averaged in place, every block row or only even ones; with
// a level, the colour-depth tint is applied.
inline void Blocks(Picture& picture, int rowStep, bool tint, int level) {
  Picture work;
  work.assign(picture);
  for (int y = 0; y + 1 < work.height(); y += rowStep)
    for (int x = 0; x + 1 < work.width(); ++x) {
      int r = (R(work, x, y) + R(work, x + 1, y) + R(work, x, y + 1) + R(work, x + 1, y + 1)) >> 2;
      int g = (G(work, x, y) + G(work, x + 1, y) + G(work, x, y + 1) + G(work, x + 1, y + 1)) >> 2;
      int b = (B(work, x, y) + B(work, x + 1, y) + B(work, x, y + 1) + B(work, x + 1, y + 1)) >> 2;
      if (tint) {
        if (r > level) { r += 10; g -= 5; b -= 5; }
        if (g > level) { g += 10; r -= 5; b -= 5; }
        if (b > level) { b += 10; r -= 5; g -= 5; }
        r = ClampByte(r);
        g = ClampByte(g);
        b = ClampByte(b);
      }
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) Set(work, x + dx, y + dy, r, g, b);
    }
  picture.assign(work);
}

inline void EffectBlur(Picture& picture) { Blocks(picture, 1, false, 0); }
inline void EffectNoiseBlur(Picture& picture) { Blocks(picture, 2, false, 0); }
inline void EffectColorDepth(std::uint8_t level, Picture& picture) { Blocks(picture, 2, true, level); }

inline void EffectGaussBlur(int count, Picture& picture) {
  for (int i = 0; i < count; ++i) EffectBlur(picture);
}

inline void EffectFog(Picture& picture) {
  if (picture.height() < 3 || picture.width() < 2) return;
  Picture work;
  work.assign(picture);
  for (int y = 1; y + 1 < work.height(); ++y)
    for (int x = 0; x + 1 < work.width(); ++x) {
      int r = 0, g = 0, b = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
          r += R(work, x + dx, y + dy);
          g += G(work, x + dx, y + dy);
          b += B(work, x + dx, y + dy);
        }
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = 0; dx < 2; ++dx) Set(work, x + dx, y + dy, r / 6, g / 6, b / 6);
    }
  picture.assign(work);
}

inline void EffectPixelize(Picture& picture) {
  Picture work;
  work.assign(picture);
  for (int y = 0; y + 1 < work.height(); y += 2)
    for (int x = 0; x + 1 < work.width(); x += 2) {
      const int r = (R(work, x, y) + R(work, x + 1, y) + R(work, x, y + 1) + R(work, x + 1, y + 1)) >> 2;
      const int g = (G(work, x, y) + G(work, x + 1, y) + G(work, x, y + 1) + G(work, x + 1, y + 1)) >> 2;
      const int b = (B(work, x, y) + B(work, x + 1, y) + B(work, x, y + 1) + B(work, x + 1, y + 1)) >> 2;
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) Set(work, x + dx, y + dy, r, g, b);
    }
  picture.assign(work);
}

inline void EffectSepia(Picture& picture, int depth) {
  Picture work;
  work.assign(picture);
  for (int y = 0; y < work.height(); ++y)
    for (int x = 0; x < work.width(); ++x) {
      const int g = Average(work, x, y);
      Set(work, x, y, ClampByte(g + 2 * depth), ClampByte(g + depth), g);
    }
  picture.assign(work);
}

}  // namespace velmar::reference
