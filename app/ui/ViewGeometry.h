#pragma once

#include "app/ui/Geometry.h"

namespace ui {

// The rectangle a view with `frame` (unflipped, in its parent's points)
// occupies in a top-down coordinate space whose height is `parentHeight`: the
// same x and size, y measured from the top edge instead of the bottom edge.
inline Rect topDownRect(const Rect& frame, double parentHeight) {
  return {frame.x, parentHeight - (frame.y + frame.height), frame.width, frame.height};
}

}  // namespace ui
