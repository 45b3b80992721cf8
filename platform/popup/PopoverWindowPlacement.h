#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace platform {

// Where a popover of `size` goes, in Qt's global screen coordinates (y down):
// horizontally centred under `anchor` with its top edge on the anchor's
// bottom edge, then moved the least needed to lie inside `available`. A tray
// at the bottom of the screen thus gets the popover just above its panel.
QPoint popoverWindowOrigin(const QRect& anchor, const QSize& size, const QRect& available);

}  // namespace platform
