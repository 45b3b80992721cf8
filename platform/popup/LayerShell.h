#pragma once

#include <QPoint>
#include <QRect>
#include <Qt>
#include <functional>
#include <memory>

class QScreen;
class QWindow;

namespace platform {

// Places windows on a Wayland compositor that offers the layer shell
// (wlroots compositors, KDE Plasma), where an ordinary window cannot say
// where it goes. A window it places carries Qt::BypassWindowManagerHint,
// which (with QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT set at start) keeps Qt
// from giving the window's surface a role of its own. Main thread only.
class LayerShell {
 public:
  struct Placement {
    bool overlay = false;        // Above full-screen windows, like the HUD.
    bool takesKeyboard = false;  // Focus when clicked, like a window.
  };

  // Null unless Qt shows on Wayland and the compositor offers the shell.
  static LayerShell* instance();

  ~LayerShell();
  LayerShell(const LayerShell&) = delete;
  LayerShell& operator=(const LayerShell&) = delete;

  // Call right after showing the window, before the event loop paints it
  // (the surface must get its role before its first picture), and again
  // whenever it moves. Puts the window at `globalRect`, over any panel.
  void placeAt(QWindow& window, const QRect& globalRect, Placement placement);

  // Puts the window against the edge of `screen` nearest `point` (top or
  // bottom), clear of the panel there, centred on the point where it fits.
  // `point` is a click on that panel.
  void placeNextToPanel(QWindow& window, QScreen& screen, QPoint point, Placement placement);

  // Until release(window), a press anywhere else on `screen` calls `close`
  // (and goes no further). The window must be on the overlay layer to stay
  // above what catches the press.
  void closeOnOutsidePress(QWindow& window, QScreen& screen, std::function<void()> close);

  // Call right before hiding the window: Qt destroys its surface then.
  void release(QWindow& window);

 private:
  struct Impl;
  explicit LayerShell(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
