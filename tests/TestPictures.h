#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "imaging/Picture.h"

namespace velmar::testing {

struct Rgb {
  int r, g, b;
};

// A picture from rows of (R, G, B) pixels, top row first.
inline Picture MakePicture(std::initializer_list<std::initializer_list<Rgb>> rows) {
  const int h = static_cast<int>(rows.size());
  const int w = h == 0 ? 0 : static_cast<int>(rows.begin()->size());
  Picture p(w, h);
  int y = 0;
  for (const auto& row : rows) {
    int x = 0;
    for (const Rgb& c : row) {
      std::uint8_t* px = p.row(y) + 3 * x;
      px[0] = static_cast<std::uint8_t>(c.b);
      px[1] = static_cast<std::uint8_t>(c.g);
      px[2] = static_cast<std::uint8_t>(c.r);
      ++x;
    }
    ++y;
  }
  return p;
}

inline Picture Uniform(int w, int h, Rgb c) {
  Picture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* px = p.row(y) + 3 * x;
      px[0] = static_cast<std::uint8_t>(c.b);
      px[1] = static_cast<std::uint8_t>(c.g);
      px[2] = static_cast<std::uint8_t>(c.r);
    }
  return p;
}

inline Rgb PixelAt(const Picture& p, int x, int y) {
  const std::uint8_t* px = p.row(y) + 3 * x;
  return {px[2], px[1], px[0]};
}

inline Rgb Gray(int v) { return {v, v, v}; }

}  // namespace velmar::testing
