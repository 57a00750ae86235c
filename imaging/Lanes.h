#pragma once

// Eight 16-bit lanes (GCC vector extensions, one SSE register): several
// independent runs of a recurrence side by side, one per lane, with 8 x 8
// transposes to move rows of values into lanes and back. Internal to the
// pixel routines.

#include <cstdint>
#include <cstring>

namespace velmar::lanes {

using Vec8 = std::int16_t __attribute__((vector_size(16)));
using Vec4 = std::int32_t __attribute__((vector_size(16)));
using Vec2 = std::int64_t __attribute__((vector_size(16)));
using Bytes8 = std::uint8_t __attribute__((vector_size(8)));

inline Vec8 Splat(int v) { return Vec8{} + static_cast<std::int16_t>(v); }

inline Vec8 LoadBytes(const std::uint8_t* p) {
  Bytes8 b;
  std::memcpy(&b, p, sizeof b);
  return __builtin_convertvector(b, Vec8);
}

inline void StoreBytes(std::uint8_t* p, Vec8 v) {
  const Bytes8 b = __builtin_convertvector(v, Bytes8);
  std::memcpy(p, &b, sizeof b);
}

template <class T>
inline Vec8 Load(const T* p) {
  static_assert(sizeof(T) == 2);
  Vec8 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class T>
inline void Store(T* p, Vec8 v) {
  static_assert(sizeof(T) == 2);
  std::memcpy(p, &v, sizeof v);
}

// m[i][j] becomes m[j][i].
inline void Transpose(Vec8 (&m)[8]) {
  Vec8 t[8];
  for (int i = 0; i < 4; ++i) {
    t[2 * i] = __builtin_shufflevector(m[2 * i], m[2 * i + 1], 0, 8, 1, 9, 2, 10, 3, 11);
    t[2 * i + 1] = __builtin_shufflevector(m[2 * i], m[2 * i + 1], 4, 12, 5, 13, 6, 14, 7, 15);
  }
  Vec4 u[8];
  for (int i = 0; i < 2; ++i) {
    const Vec4 a0 = reinterpret_cast<Vec4>(t[4 * i]);
    const Vec4 a1 = reinterpret_cast<Vec4>(t[4 * i + 1]);
    const Vec4 b0 = reinterpret_cast<Vec4>(t[4 * i + 2]);
    const Vec4 b1 = reinterpret_cast<Vec4>(t[4 * i + 3]);
    u[4 * i] = __builtin_shufflevector(a0, b0, 0, 4, 1, 5);
    u[4 * i + 1] = __builtin_shufflevector(a0, b0, 2, 6, 3, 7);
    u[4 * i + 2] = __builtin_shufflevector(a1, b1, 0, 4, 1, 5);
    u[4 * i + 3] = __builtin_shufflevector(a1, b1, 2, 6, 3, 7);
  }
  for (int i = 0; i < 4; ++i) {
    const Vec2 lo = reinterpret_cast<Vec2>(u[i]);
    const Vec2 hi = reinterpret_cast<Vec2>(u[i + 4]);
    m[2 * i] = reinterpret_cast<Vec8>(__builtin_shufflevector(lo, hi, 0, 2));
    m[2 * i + 1] = reinterpret_cast<Vec8>(__builtin_shufflevector(lo, hi, 1, 3));
  }
}

// Lane r of out[e] = element e of piece r, the pieces being `length`
// 16-bit values each, `stride` values apart from src on.
template <class T>
inline void ToLanes(const T* src, int stride, int length, Vec8* out) {
  const int tiled = length - length % 8;
  for (int e0 = 0; e0 < tiled; e0 += 8) {
    Vec8 m[8];
    for (int r = 0; r < 8; ++r) m[r] = Load(src + r * stride + e0);
    Transpose(m);
    for (int i = 0; i < 8; ++i) out[e0 + i] = m[i];
  }
  for (int e = tiled; e < length; ++e) {
    for (int r = 0; r < 8; ++r) out[e][r] = static_cast<std::int16_t>(src[r * stride + e]);
  }
}

// The inverse of ToLanes.
template <class T>
inline void FromLanes(const Vec8* in, int length, T* dst, int stride) {
  const int tiled = length - length % 8;
  for (int e0 = 0; e0 < tiled; e0 += 8) {
    Vec8 m[8];
    for (int i = 0; i < 8; ++i) m[i] = in[e0 + i];
    Transpose(m);
    for (int r = 0; r < 8; ++r) Store(dst + r * stride + e0, m[r]);
  }
  for (int e = tiled; e < length; ++e) {
    for (int r = 0; r < 8; ++r) dst[r * stride + e] = static_cast<T>(in[e][r]);
  }
}

// Sixteen 8-bit lanes.
using Vec16 = std::uint8_t __attribute__((vector_size(16)));

inline Vec16 Splat16(int v) { return Vec16{} + static_cast<std::uint8_t>(v); }

inline Vec16 Load16(const std::uint8_t* p) {
  Vec16 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void Store16(std::uint8_t* p, Vec16 v) { std::memcpy(p, &v, sizeof v); }

// m[i][j] becomes m[j][i] for 16 x 16 bytes: interleaving the bytes of row
// pairs gives an 8 x 8 matrix of 16-bit pairs, once for columns 0..7 and once
// for 8..15, and transposing those puts the 16 bytes of a column in order.
inline void Transpose(Vec16 (&m)[16]) {
  Vec8 lo[8], hi[8];
  for (int i = 0; i < 8; ++i) {
    lo[i] = reinterpret_cast<Vec8>(__builtin_shufflevector(m[2 * i], m[2 * i + 1], 0, 16, 1, 17, 2, 18, 3, 19, 4, 20,
                                                           5, 21, 6, 22, 7, 23));
    hi[i] = reinterpret_cast<Vec8>(__builtin_shufflevector(m[2 * i], m[2 * i + 1], 8, 24, 9, 25, 10, 26, 11, 27, 12,
                                                           28, 13, 29, 14, 30, 15, 31));
  }
  Transpose(lo);
  Transpose(hi);
  for (int i = 0; i < 8; ++i) {
    m[i] = reinterpret_cast<Vec16>(lo[i]);
    m[i + 8] = reinterpret_cast<Vec16>(hi[i]);
  }
}

// (a + b) div 2 for bytes, without leaving 8 bits.
inline Vec16 FloorAverage(Vec16 a, Vec16 b) { return (a & b) + ((a ^ b) >> 1); }

inline Vec16 Min(Vec16 a, Vec16 b) { return a < b ? a : b; }

}  // namespace velmar::lanes
