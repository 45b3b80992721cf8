#pragma once

#include <optional>
#include <string>

#include "platform/screens/Screens.h"

namespace platform {

// Qt's screens in Qt's order, the primary screen as the main screen. A screen
// is named after its monitor's EDID model name, else after its connector; a
// built-in panel's connector (eDP, LVDS, DSI) gives "Built-in Display". An
// output without an EDID (Xwayland's) is named after the monitor that GNOME
// or the kernel shows behind it; Xwayland's own output names stay unshown.
class QtScreens : public Screens {
 public:
  std::vector<Screen> screens() const override;
  std::optional<Screen> mainScreen() const override;
  // Known on X11 (and Xwayland, as far as its server sees the pointer); a
  // Wayland compositor tells a client the pointer only over its own surfaces.
  std::optional<std::string> outputUnderPointer() const override;

  static bool isBuiltInConnector(const std::string& connector);

  // The name shown for a screen on `connector`, whose EDID gave `edidModel`.
  static std::string displayName(const std::string& connector,
                                 const std::optional<std::string>& edidModel);
};

}  // namespace platform
