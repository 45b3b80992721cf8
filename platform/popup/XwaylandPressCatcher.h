#pragma once

#include <QWidget>

namespace platform {

// Under Xwayland a popup's pointer grab sees presses only on X11 windows, so
// a click on the desktop or on another program's Wayland window never
// closes it. This clear, unmanaged X11 window spans the screens under the
// popup while it is open: a press on it is a press outside the popup, which
// Qt answers by closing the popup. That press goes no further, as with a
// menu; the compositor's own panels stay above it and get their clicks.
class XwaylandPressCatcher : public QWidget {
 public:
  XwaylandPressCatcher();

  // Spans every screen; call right before showing the popup, so that the
  // popup comes out above it.
  void spread();

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace platform
