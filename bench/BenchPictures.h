#pragma once

#include <cstdint>

#include "imaging/Picture.h"

namespace velmar::bench {

// A photo-like picture: smooth colour gradients over most of it and an
// ordered-dithered band, so that runs are short and many, as after a dither.
inline Picture PhotoLike(int width, int height) {
  Picture p(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = p.row(y);
    for (int x = 0; x < width; ++x) {
      int r = (x * 255) / (width > 1 ? width - 1 : 1);
      int g = (y * 255) / (height > 1 ? height - 1 : 1);
      int b = ((x + y) * 97 / 13) % 256;
      if (y > height / 3 && y < height / 2) {
        // A 4 x 4 ordered dither of the gradient: black or white in a pattern.
        static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
        const int gray = (r + g + b) / 3;
        const int v = gray * 16 / 256 > bayer[y % 4][x % 4] ? 255 : 0;
        r = g = b = v;
      }
      row[3 * x] = static_cast<std::uint8_t>(b);
      row[3 * x + 1] = static_cast<std::uint8_t>(g);
      row[3 * x + 2] = static_cast<std::uint8_t>(r);
    }
  }
  return p;
}

}  // namespace velmar::bench
