#include "workspace/ViewNavigation.h"

#include <cmath>

#include "job/Commands.h"

namespace velmar {

int NearestProduct(int value, float factor) {
  // A 64-bit significand holds the product of a 32-bit integer and a
  // 24-bit one exactly, so the rounding sees the true product.
  const long double exact = static_cast<long double>(value) * static_cast<long double>(factor);
  return static_cast<int>(std::llround(exact));
}

std::optional<ViewBounds> ZoomStep(const ViewBounds& current, int px, int py, int wheelDelta, int limitWidth,
                                   int limitHeight) {
  float f;
  if (wheelDelta > 0) {
    if (!(static_cast<long long>(current.height) < 16LL * limitHeight &&
          static_cast<long long>(current.width) < 16LL * limitWidth))
      return std::nullopt;
    f = ZoomInFactor;
  } else if (wheelDelta < 0) {
    if (!(current.height > 20 && current.width > 20)) return std::nullopt;
    f = ZoomOutFactor;
  } else {
    return std::nullopt;
  }
  ViewBounds next;
  next.left = current.left + px - NearestProduct(px, f);
  next.top = current.top + py - NearestProduct(py, f);
  next.width = NearestProduct(current.width, f);
  next.height = NearestProduct(current.height, f);
  return next;
}

ViewBounds DragTo(const ViewBounds& current, int x, int y, int dragX, int dragY) {
  return {x - dragX, y - dragY, current.width, current.height};
}

}  // namespace velmar
