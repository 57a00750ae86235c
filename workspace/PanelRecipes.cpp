#include "workspace/PanelRecipes.h"

#include "imaging/Dither.h"
#include "imaging/Effects.h"
#include "imaging/Tone.h"

namespace velmar {

void PreviewBrightnessContrast(Picture& view, int brightness, int contrast) {
  if (brightness != 0) AdjustBrightness(view, brightness);
  if (contrast != 0) AdjustContrast(view, contrast);
}

void PreviewRGB(Picture& view, int red, int green, int blue) { AdjustRGB(view, red, green, blue); }

void PreviewBinary(Picture& view, const BinarySettings& s) {
  if (s.grayScale) MakeGrayScale(view);
  if (s.floydSteinberg) DitherFloydSteinberg(view);
  if (s.matrix2x2) DitherMatrix2x2(view);
  if (s.matrix3x3) DitherMatrix3x3(view);
  if (s.matrix4x4) DitherMatrix4x4(view);
  if (s.fsMatrix4x4) DitherFSMatrix4x4(view);
  // The level and the mode go to the routine as bytes.
  if (s.binarize) MakeBinary(static_cast<std::uint8_t>(s.level), static_cast<std::uint8_t>(s.mode), view);
}

void PreviewEffects(Picture& view, const EffectSettings& s) {
  if (s.blur) EffectBlur(view);
  if (s.noiseBlur) EffectNoiseBlur(view);
  if (s.gaussianBlur) EffectGaussBlur(s.gaussCount, view);
  if (s.fog) EffectFog(view);
  if (s.colorDepth) EffectColorDepth(static_cast<std::uint8_t>(s.colorDepthLevel), view);
  if (s.pixelize) EffectPixelize(view);
  if (s.sepia) EffectSepia(view, s.sepiaDepth);
}

void PreviewDithering(Picture& view, int min, int max, int dither) { DitherLevels(view, min, max, dither); }

}  // namespace velmar
