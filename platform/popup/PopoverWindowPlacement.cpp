#include "platform/popup/PopoverWindowPlacement.h"

#include <algorithm>

namespace platform {

namespace {

// Clamps the start of a span of `length` into [low, high); a span longer than
// the room keeps its start at `low` so its top or left stays visible.
int clampSpan(int start, int length, int low, int high) {
  return std::max(low, std::min(start, high - length));
}

}  // namespace

QPoint popoverWindowOrigin(const QRect& anchor, const QSize& size, const QRect& available) {
  int x = anchor.x() + (anchor.width() - size.width()) / 2;
  int y = anchor.y() + anchor.height();
  return {clampSpan(x, size.width(), available.x(), available.x() + available.width()),
          clampSpan(y, size.height(), available.y(), available.y() + available.height())};
}

}  // namespace platform
