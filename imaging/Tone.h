#pragma once

#include <cstdint>

#include "imaging/Picture.h"

namespace velmar {

// Tone and colour adjustments. Each changes the picture in place; amounts
// are -100..100 from the panel, larger ones follow the same formulas.

// Adds trunc(1 + 2.5 * Amount) to every channel, clamped; 0 leaves the
// picture untouched.
void AdjustBrightness(Picture& picture, int Amount);

// Spreads every channel away from (or toward) 128 by the factor
// 1 + Amount / 10 (Amount > 0) or 1 - sqrt(-Amount) / 10 (Amount < 0).
void AdjustContrast(Picture& picture, int Amount);

// Adds 1 + trunc(2.5 * amount) to each channel, with its own amount; there is
// no early return, so 0, 0, 0 still lifts every channel below 255 by one.
void AdjustRGB(Picture& picture, int Red, int Green, int Blue);

// The offset both AdjustBrightness and AdjustRGB add for an amount.
std::int64_t ToneOffset(int amount);

}  // namespace velmar
