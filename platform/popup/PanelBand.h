#pragma once

#include <QPoint>
#include <QRect>
#include <optional>

namespace platform {

// How far a panel reaches in from an output's top or bottom edge, for a
// compositor that keeps layer surfaces clear of no panel (KWin does not count
// Plasma's panels, which are windows, not layer surfaces).
class PanelBand {
 public:
  // `click` is where the tray on that panel was clicked. KWin publishes its
  // work area, which does count the panels, to X11 clients; without it the
  // panel is taken to be as deep again beyond the click, which a click on an
  // icon centred in its panel makes about right.
  static int thickness(const QRect& output, bool top, QPoint click);

  // The same, given the X11 work area (if any) rather than reading it.
  static int thickness(const QRect& output, bool top, QPoint click,
                       const std::optional<QRect>& workArea);

 private:
  static std::optional<QRect> x11WorkArea();
};

}  // namespace platform
