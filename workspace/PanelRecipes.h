#pragma once

#include <cstdint>

#include "imaging/Picture.h"

namespace velmar {

// What each adjustment panel runs on a fresh copy of the committed picture,
// in its order, from the positions of its controls. A vertical track bar
// counts from its top, so the panels turn the positions round: the amounts
// below are what the routines get and what the value labels show.

inline int Negated(int position) { return -position; }           // -100..100 bars
inline int FromTop255(int position) { return 255 - position; }   // 0..255 bars

// "Яркость/контраст": brightness and then contrast, each only when not 0.
void PreviewBrightnessContrast(Picture& view, int brightness, int contrast);

// "RGB": the channel shift, always (also at 0, 0, 0).
void PreviewRGB(Picture& view, int red, int green, int blue);

// "Оттенки серого/Двоичный".
struct BinarySettings {
  bool grayScale = false;
  bool floydSteinberg = false;  // Binary1
  bool matrix2x2 = false;       // Binary2
  bool matrix3x3 = false;       // Binary3
  bool matrix4x4 = false;       // Binary4
  bool fsMatrix4x4 = false;     // Binary5
  bool binarize = false;
  int level = 127;  // 255 - position of the threshold bar
  int mode = 0;     // 0 toward white, 1 toward black
};
void PreviewBinary(Picture& view, const BinarySettings& settings);

// "Эффекты".
struct EffectSettings {
  bool blur = false;
  bool noiseBlur = false;
  bool gaussianBlur = false;
  int gaussCount = 0;
  bool fog = false;
  bool colorDepth = false;
  int colorDepthLevel = 0;
  bool pixelize = false;
  bool sepia = false;
  int sepiaDepth = 0;
};
void PreviewEffects(Picture& view, const EffectSettings& settings);

// "Dithering": the level dither, always.
void PreviewDithering(Picture& view, int min, int max, int dither);

}  // namespace velmar
