#include "imaging/Tone.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "imaging/HotLoops.h"
#include "imaging/PixelOps.h"

namespace velmar {

namespace {

// Any offset beyond +-256 gives the same clamped bytes as +-256, and keeps
// the per-channel sums far inside 16 bits.
int LimitedOffset(std::int64_t offset) {
  if (offset < -256) return -256;
  if (offset > 256) return 256;
  return static_cast<int>(offset);
}

VELMAR_HOT_LOOP void AddOffsets(Picture& picture, int offsetB, int offsetG, int offsetR) {
  const int w = picture.width();
  const std::int16_t ob = static_cast<std::int16_t>(offsetB);
  const std::int16_t og = static_cast<std::int16_t>(offsetG);
  const std::int16_t orr = static_cast<std::int16_t>(offsetR);
  for (int y = 0; y < picture.height(); ++y) {
    std::uint8_t* p = picture.row(y);
    for (int x = 0; x < w; ++x) {
      std::int16_t b = static_cast<std::int16_t>(p[3 * x] + ob);
      std::int16_t g = static_cast<std::int16_t>(p[3 * x + 1] + og);
      std::int16_t r = static_cast<std::int16_t>(p[3 * x + 2] + orr);
      b = b < 0 ? 0 : (b > 255 ? 255 : b);
      g = g < 0 ? 0 : (g > 255 ? 255 : g);
      r = r < 0 ? 0 : (r > 255 ? 255 : r);
      p[3 * x] = static_cast<std::uint8_t>(b);
      p[3 * x + 1] = static_cast<std::uint8_t>(g);
      p[3 * x + 2] = static_cast<std::uint8_t>(r);
    }
  }
}

static_assert(std::numeric_limits<long double>::digits >= 64,
              "the contrast factor needs a 64-bit significand");

// The factor is formed in extended precision and stored once into a double,
// so a factor such as 1.7 ends just below the decimal value.
double ContrastFactor(int Amount) {
  long double f;
  if (Amount > 0) {
    f = 1.0L + static_cast<long double>(Amount) / 10.0L;
  } else {
    f = 1.0L - std::sqrt(-static_cast<long double>(Amount)) / 10.0L;
  }
  return static_cast<double>(f);
}

// trunc((c - 128) * f) with the product held exactly: an 8-bit integer times
// a 53-bit significand fits the 64-bit significand of long double.
std::int64_t ContrastStep(int c, double f) {
  const long double product = static_cast<long double>(c - 128) * static_cast<long double>(f);
  const long double limit = 1024.0L;  // far beyond what the clamp lets through
  if (product > limit) return 1024;
  if (product < -limit) return -1024;
  return static_cast<std::int64_t>(product);
}

// The same value as ContrastStep in 16-bit arithmetic that vectorises:
// |c - 128| * f = a * whole + (a * fraction), where the fraction's part is
// taken as (a * multiplier) >> 16.
struct FixedContrast {
  std::uint16_t whole = 0;
  std::uint16_t multiplier = 0;
};

std::uint8_t FixedContrastByte(int c, FixedContrast k) {
  const int d = c - 128;
  const int a = d < 0 ? -d : d;
  const int q = a * k.whole + ((a * k.multiplier) >> 16);
  return ClampByte((d < 0 ? -q : q) + 128);
}

// Looks for a multiplier that reproduces floor(a * f) for every a the
// channels can give; returns false when none exists (then the table is used).
bool FindFixedContrast(double f, const std::uint8_t (&table)[256], FixedContrast& out) {
  if (!(f >= 0.0 && f < 64.0)) return false;
  const int whole = static_cast<int>(f);
  std::int64_t low = 0;
  std::int64_t high = 65535;
  for (int a = 1; a <= 128; ++a) {
    const auto q = static_cast<std::int64_t>(static_cast<long double>(a) * static_cast<long double>(f));
    const std::int64_t rest = q - static_cast<std::int64_t>(a) * whole;
    const std::int64_t lo = (rest * 65536 + a - 1) / a;
    const std::int64_t hi = ((rest + 1) * 65536 - 1) / a;
    if (lo > low) low = lo;
    if (hi < high) high = hi;
  }
  if (low > high) return false;
  out.whole = static_cast<std::uint16_t>(whole);
  out.multiplier = static_cast<std::uint16_t>(low);
  for (int c = 0; c < 256; ++c) {
    if (FixedContrastByte(c, out) != table[c]) return false;
  }
  return true;
}

VELMAR_HOT_LOOP void ApplyFixedContrast(Picture& picture, std::uint16_t whole, std::uint16_t multiplier) {
  const int n = picture.width() * 3;
  for (int y = 0; y < picture.height(); ++y) {
    std::uint8_t* p = picture.row(y);
    for (int i = 0; i < n; ++i) {
      const std::int16_t d = static_cast<std::int16_t>(p[i] - 128);
      const std::uint16_t a = static_cast<std::uint16_t>(d < 0 ? -d : d);
      const std::uint16_t part = static_cast<std::uint16_t>((static_cast<std::uint32_t>(a) * multiplier) >> 16);
      const std::int16_t q = static_cast<std::int16_t>(a * whole + part);
      std::int16_t v = static_cast<std::int16_t>((d < 0 ? -q : q) + 128);
      v = v < 0 ? 0 : (v > 255 ? 255 : v);
      p[i] = static_cast<std::uint8_t>(v);
    }
  }
}

void ApplyTable(Picture& picture, const std::uint8_t (&table)[256]) {
  const int n = picture.width() * 3;
  for (int y = 0; y < picture.height(); ++y) {
    std::uint8_t* p = picture.row(y);
    for (int i = 0; i < n; ++i) p[i] = table[p[i]];
  }
}

}  // namespace

std::int64_t ToneOffset(int amount) {
  // 2.5 * amount is exact in halves: for amount > 0 the truncation rounds the
  // half down, for amount < 0 it rounds 1 - 2.5 * |amount| toward zero.
  const std::int64_t a = amount;
  if (a > 0) return 1 + (5 * a) / 2;
  return 1 - (5 * -a) / 2;
}

void AdjustBrightness(Picture& picture, int Amount) {
  if (Amount == 0 || picture.empty()) return;
  const int offset = LimitedOffset(ToneOffset(Amount));
  AddOffsets(picture, offset, offset, offset);
}

void AdjustContrast(Picture& picture, int Amount) {
  if (Amount == 0 || picture.empty()) return;
  const double f = ContrastFactor(Amount);
  std::uint8_t table[256];
  for (int c = 0; c < 256; ++c) {
    table[c] = ClampByte(static_cast<std::int32_t>(ContrastStep(c, f) + 128));
  }
  FixedContrast fixed;
  if (FindFixedContrast(f, table, fixed)) {
    ApplyFixedContrast(picture, fixed.whole, fixed.multiplier);
  } else {
    ApplyTable(picture, table);
  }
}

void AdjustRGB(Picture& picture, int Red, int Green, int Blue) {
  if (picture.empty()) return;
  AddOffsets(picture, LimitedOffset(ToneOffset(Blue)), LimitedOffset(ToneOffset(Green)),
             LimitedOffset(ToneOffset(Red)));
}

}  // namespace velmar
