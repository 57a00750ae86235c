#pragma once

#include <algorithm>
#include <ostream>

#include "imaging/Picture.h"

namespace velmar {

// Lets GoogleTest show a picture that differs: its size and its first pixels.
inline void PrintTo(const Picture& p, std::ostream* os) {
  *os << p.width() << " x " << p.height() << " {";
  const int shown = p.empty() ? 0 : std::min(p.width() * p.height(), 8);
  for (int i = 0; i < shown; ++i) {
    const std::uint8_t* px = p.row(i / p.width()) + 3 * (i % p.width());
    *os << (i ? " " : "") << "(" << int(px[2]) << "," << int(px[1]) << "," << int(px[0]) << ")";
  }
  *os << (p.width() * p.height() > shown ? " ...}" : "}");
}

}  // namespace velmar
