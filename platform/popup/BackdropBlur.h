#pragma once

#include <QImage>

namespace platform {

// Softens a picture of what lies behind a translucent view so that only
// colours and shapes remain, never legible detail: a box blur run three times
// (close to a Gaussian) on a half-size copy, scaled back up.
class BackdropBlur {
 public:
  static QImage blurred(const QImage& image, int radius);
};

}  // namespace platform
