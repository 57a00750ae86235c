#pragma once

#include <optional>

namespace velmar {

// Bounds of the picture control inside its panel, in panel coordinates.
struct ViewBounds {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const ViewBounds&) const = default;
};

// value x factor rounded to the nearest integer, from the exact product of
// the integer and the single-precision factor.
int NearestProduct(int value, float factor);

// One zoom step of the mouse wheel about the pointer (px, py, in the
// control's own coordinates). wheelDelta's sign picks the direction; its
// size does not matter. limitWidth/limitHeight: the window's client size,
// of which the control may grow to 16 times. Returns the new bounds, or
// nothing when the step is refused (the event then stays unhandled).
std::optional<ViewBounds> ZoomStep(const ViewBounds& current, int px, int py, int wheelDelta, int limitWidth,
                                   int limitHeight);

// Where the control goes while it is dragged: the point taken hold of
// (dragX, dragY in control coordinates) follows the pointer (x, y in panel
// coordinates).
ViewBounds DragTo(const ViewBounds& current, int x, int y, int dragX, int dragY);

}  // namespace velmar
