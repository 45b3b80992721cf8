#include "platform/popup/PanelBand.h"

#include <algorithm>
#include <cstdlib>

// X11 headers come last: their macros (None, Bool, Status) clash with Qt's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform {

int PanelBand::thickness(const QRect& output, bool top, QPoint click) {
  return thickness(output, top, click, x11WorkArea());
}

int PanelBand::thickness(const QRect& output, bool top, QPoint click,
                         const std::optional<QRect>& workArea) {
  const int fromEdge = top ? click.y() - output.top() : output.bottom() - click.y() + 1;
  const QRect usable = workArea ? workArea->intersected(output) : QRect();
  const int reserved = usable.isEmpty() ? 0
                       : top            ? usable.top() - output.top()
                                        : output.bottom() - usable.bottom();
  // A work area that leaves the click outside any band speaks of other panels.
  const int band = reserved >= fromEdge ? reserved : 2 * fromEdge;
  return std::clamp(band, 0, output.height() / 2);
}

// The first desktop's work area on the X server in $DISPLAY (Xwayland).
std::optional<QRect> PanelBand::x11WorkArea() {
  if (std::getenv("DISPLAY") == nullptr) {
    return std::nullopt;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    return std::nullopt;
  }
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  std::optional<QRect> area;
  const Atom workAreaAtom = XInternAtom(display, "_NET_WORKAREA", True);
  if (workAreaAtom != None &&
      XGetWindowProperty(display, DefaultRootWindow(display), workAreaAtom, 0, 4, False,
                         XA_CARDINAL, &type, &format, &count, &remaining, &data) == Success &&
      data != nullptr && format == 32 && count == 4) {
    const auto* values = reinterpret_cast<const long*>(data);  // Xlib widens to long.
    area = QRect(static_cast<int>(values[0]), static_cast<int>(values[1]),
                 static_cast<int>(values[2]), static_cast<int>(values[3]));
  }
  if (data != nullptr) {
    XFree(data);
  }
  XCloseDisplay(display);
  return area;
}

}  // namespace platform
