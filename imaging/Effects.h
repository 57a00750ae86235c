#pragma once

#include <cstdint>

#include "imaging/Picture.h"

namespace velmar {

// Picture effects. Each changes the picture in place. The block routines
// cascade: blocks are visited row by row from the top, left to right, and
// each averages what the picture holds at that moment, so earlier blocks
// smear into later ones. A picture too small for a block is left unchanged.

// 2 x 2 blocks at every (x, y); averages shift right by 2.
void EffectBlur(Picture& picture);

// EffectBlur on the row pairs (0, 1), (2, 3), ... only.
void EffectNoiseBlur(Picture& picture);

// EffectBlur Count times (nothing for Count <= 0).
void EffectGaussBlur(int Count, Picture& picture);

// Blocks of 3 rows x 2 columns centred on rows 1..H-2; averages div 6.
void EffectFog(Picture& picture);

// EffectNoiseBlur whose block averages are pushed toward the channels above
// Level: +10 for such a channel, -5 for the other two, red then green then
// blue, clamped.
void EffectColorDepth(std::uint8_t Level, Picture& picture);

// Separate 2 x 2 blocks at even (x, y) set to their average.
void EffectPixelize(Picture& picture);

// Average gray g, then B = g, G = g + Depth, R = g + 2 Depth, clamped.
void EffectSepia(Picture& picture, int Depth);

}  // namespace velmar
