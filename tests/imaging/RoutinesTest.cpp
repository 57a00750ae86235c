// Every routine against its plain pixel-by-pixel version, on pictures of
// awkward sizes and contents, and on empty pictures.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ReferenceRoutines.h"
#include "imaging/Dither.h"
#include "imaging/Effects.h"
#include "imaging/Tone.h"

namespace velmar {
namespace {

namespace ref = velmar::reference;

struct Routine {
  std::string name;
  std::function<void(Picture&)> fast;
  std::function<void(Picture&)> plain;
};

std::vector<Routine> AllRoutines() {
  std::vector<Routine> list;
  const auto add = [&](std::string name, std::function<void(Picture&)> fast, std::function<void(Picture&)> plain) {
    list.push_back({std::move(name), std::move(fast), std::move(plain)});
  };
  for (int a : {1, -1, 7, 40, -40, 100, -100, 300, -1000}) {
    add("AdjustBrightness " + std::to_string(a), [a](Picture& p) { AdjustBrightness(p, a); },
        [a](Picture& p) { ref::AdjustBrightness(p, a); });
  }
  for (int a : {7, 2, -9, 33, -25, 100, -100, 150, -150, 1000}) {
    add("AdjustContrast " + std::to_string(a), [a](Picture& p) { AdjustContrast(p, a); },
        [a](Picture& p) { ref::AdjustContrast(p, a); });
  }
  struct Three {
    int r, g, b;
  };
  for (Three t : {Three{0, 0, 0}, Three{1, 0, -1}, Three{-100, 50, 100}, Three{300, -300, 7}}) {
    add("AdjustRGB " + std::to_string(t.r) + "," + std::to_string(t.g) + "," + std::to_string(t.b),
        [t](Picture& p) { AdjustRGB(p, t.r, t.g, t.b); }, [t](Picture& p) { ref::AdjustRGB(p, t.r, t.g, t.b); });
  }
  add("MakeGrayScale", MakeGrayScale, ref::MakeGrayScale);
  add("DitherFloydSteinberg", DitherFloydSteinberg, ref::DitherFloydSteinberg);
  add("DitherMatrix2x2", DitherMatrix2x2, [](Picture& p) { ref::Ordered(p, Matrix2x2); });
  add("DitherMatrix3x3", DitherMatrix3x3, [](Picture& p) { ref::Ordered(p, Matrix3x3); });
  add("DitherMatrix4x4", DitherMatrix4x4, [](Picture& p) { ref::Ordered(p, Matrix4x4); });
  add("DitherFSMatrix4x4", DitherFSMatrix4x4, [](Picture& p) { ref::DitherFSMatrix4x4(p, Matrix4x4); });
  for (int level : {0, 1, 127, 128, 254, 255}) {
    for (int mode : {0, 1, 2}) {
      const auto l = static_cast<std::uint8_t>(level);
      const auto m = static_cast<std::uint8_t>(mode);
      add("MakeBinary " + std::to_string(level) + ":" + std::to_string(mode), [l, m](Picture& p) { MakeBinary(l, m, p); },
          [l, m](Picture& p) { ref::MakeBinary(l, m, p); });
    }
  }
  for (Three t : {Three{0, 255, 255}, Three{0, 255, 8}, Three{30, 200, 255}, Three{200, 50, 255}, Three{0, 255, 0},
                  Three{17, 17, 255}, Three{255, 255, 255}, Three{0, 255, -1}, Three{0, 255, 0x7FFFFFFF},
                  Three{-20, 300, 255}, Three{-1000, 1000, 7}, Three{-5, 100, 255}, Three{10, -10, 255}}) {
    add("DitherLevels " + std::to_string(t.r) + "," + std::to_string(t.g) + "," + std::to_string(t.b),
        [t](Picture& p) { DitherLevels(p, t.r, t.g, t.b); }, [t](Picture& p) { ref::DitherLevels(p, t.r, t.g, t.b); });
  }
  add("EffectBlur", EffectBlur, ref::EffectBlur);
  add("EffectNoiseBlur", EffectNoiseBlur, ref::EffectNoiseBlur);
  for (int count : {1, 2, 3, 10, 15, 16, 17}) {
    add("EffectGaussBlur " + std::to_string(count), [count](Picture& p) { EffectGaussBlur(count, p); },
        [count](Picture& p) { ref::EffectGaussBlur(count, p); });
  }
  add("EffectFog", EffectFog, ref::EffectFog);
  for (int level : {0, 50, 97, 128, 200, 246, 250, 254, 255}) {
    const auto l = static_cast<std::uint8_t>(level);
    add("EffectColorDepth " + std::to_string(level), [l](Picture& p) { EffectColorDepth(l, p); },
        [l](Picture& p) { ref::EffectColorDepth(l, p); });
  }
  add("EffectPixelize", EffectPixelize, ref::EffectPixelize);
  for (int depth : {0, 20, 200, 255, -30, 100000}) {
    add("EffectSepia " + std::to_string(depth), [depth](Picture& p) { EffectSepia(p, depth); },
        [depth](Picture& p) { ref::EffectSepia(p, depth); });
  }
  return list;
}

// Deterministic contents: noise over all values, noise of pure black and
// white (the largest errors), and smooth photo-like ramps.
Picture Contents(int w, int h, int kind) {
  Picture p(w, h);
  std::uint32_t state = 0x9E3779B9u ^ static_cast<std::uint32_t>(w * 131 + h * 7 + kind);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        state = state * 1664525u + 1013904223u;
        const int noise = static_cast<int>(state >> 24);
        int v = noise;
        if (kind == 1) v = (noise & 1) ? 255 : 0;
        if (kind == 2) v = (x * 255 / (w > 1 ? w - 1 : 1) + y * 3 + c * 40 + (noise & 15)) % 256;
        p.row(y)[3 * x + c] = static_cast<std::uint8_t>(v);
      }
  return p;
}

struct Size {
  int w, h;
};

const Size kSizes[] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {3, 2}, {2, 3}, {5, 3}, {4, 5},
                       {9, 17}, {16, 16}, {21, 33}, {37, 18}, {6, 40}, {3, 4},
                       {48, 4}, {61, 6}, {130, 5}, {257, 3}};  // wide enough to split rows

TEST(Routines, MatchThePlainVersionsBitForBit) {
  const auto routines = AllRoutines();
  for (const Size s : kSizes) {
    for (int kind = 0; kind < 3; ++kind) {
      const Picture source = Contents(s.w, s.h, kind);
      for (const auto& r : routines) {
        Picture fast = source;
        Picture plain = source;
        r.fast(fast);
        r.plain(plain);
        ASSERT_EQ(fast, plain) << r.name << " on " << s.w << " x " << s.h << ", contents " << kind;
      }
    }
  }
}

TEST(Routines, EmptyPicturesPassUnchanged) {
  const auto routines = AllRoutines();
  for (const Size s : {Size{0, 0}, Size{0, 5}, Size{5, 0}}) {
    const Picture source(s.w, s.h);
    for (const auto& r : routines) {
      Picture p = source;
      r.fast(p);
      EXPECT_EQ(p, source) << r.name << " on " << s.w << " x " << s.h;
      EXPECT_EQ(p.width(), s.w);
      EXPECT_EQ(p.height(), s.h);
    }
  }
}

TEST(Routines, RoutinesChainOnOnePicture) {
  // The panels run several routines on the same picture, one after another.
  Picture fast = Contents(23, 19, 2);
  Picture plain = fast;
  const auto routines = AllRoutines();
  for (const auto& r : routines) {
    if (r.name.rfind("AdjustBrightness", 0) == 0 || r.name.rfind("AdjustContrast", 0) == 0) continue;
    if (r.name == "EffectBlur" || r.name == "DitherLevels 30,200,255" || r.name == "EffectSepia 20") {
      r.fast(fast);
      r.plain(plain);
    }
  }
  AdjustContrast(fast, -25);
  ref::AdjustContrast(plain, -25);
  MakeGrayScale(fast);
  ref::MakeGrayScale(plain);
  DitherFloydSteinberg(fast);
  ref::DitherFloydSteinberg(plain);
  EXPECT_EQ(fast, plain);
}

TEST(AdjustContrast, EveryPanelAmountOnEveryValue) {
  Picture source(256, 1);
  for (int x = 0; x < 256; ++x) {
    source.row(0)[3 * x] = static_cast<std::uint8_t>(x);
    source.row(0)[3 * x + 1] = static_cast<std::uint8_t>(255 - x);
    source.row(0)[3 * x + 2] = static_cast<std::uint8_t>((x * 7) & 255);
  }
  for (int amount = -100; amount <= 100; ++amount) {
    Picture fast = source;
    Picture plain = source;
    AdjustContrast(fast, amount);
    ref::AdjustContrast(plain, amount);
    ASSERT_EQ(fast, plain) << "amount " << amount;
  }
}

}  // namespace
}  // namespace velmar
