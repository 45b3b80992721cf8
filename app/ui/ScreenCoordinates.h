#pragma once

#include <QRectF>

#include "app/ui/Geometry.h"

namespace ui {

// Converts between Qt's global coordinates (origin at the top-left corner of
// the primary screen, y downwards, device-independent pixels) and the
// program's unflipped points (origin at the lower-left corner of the primary
// screen, y upwards). The primary screen's height is the pivot of the flip.
class ScreenCoordinates {
 public:
  explicit ScreenCoordinates(double primaryScreenHeight);

  // The conversion for the screens attached now; with no screen the pivot is
  // 0, which keeps the conversion a plain flip.
  static ScreenCoordinates current();

  Rect unflipped(const QRectF& qtRect) const;
  QRectF qt(const Rect& unflippedRect) const;

 private:
  double primaryScreenHeight_;
};

}  // namespace ui
