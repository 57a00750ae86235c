#pragma once

#include <cstdint>
#include <utility>

namespace velmar {

// Pixel formats a bitmap can be asked for. The program only ever asks for
// 24 bits per pixel; the loader brings every decoded picture to it.
enum class PixelFormat { pf24bit };

// Low is tested first: with Low > High every value below Low gives Low and
// every other value gives High.
inline std::int32_t ClampRange(std::int32_t Value, std::int32_t Low, std::int32_t High) {
  if (Value < Low) return Low;
  if (Value > High) return High;
  return Value;
}

inline std::uint8_t ClampByte(std::int32_t Value) {
  if (Value < 0) return 0;
  if (Value > 255) return 255;
  return static_cast<std::uint8_t>(Value);
}

// Exchanges the targets of two buffer pointers; no buffer content moves.
template <class T>
inline void SwapPointers(T*& A, T*& B) {
  std::swap(A, B);
}

}  // namespace velmar
