#pragma once

#include <optional>
#include <string>
#include <vector>

#include "display/ControlledDisplay.h"
#include "platform/backlight/Backlight.h"
#include "platform/ddc/DdcBuses.h"
#include "platform/screens/Screens.h"

// Which displays the program controls: one monitor per DDC bus, in the
// buses' order, then the built-in panel when it has a backlight device, then
// any other monitor's screen, to be dimmed in software. Each is named after
// the screen it shows as; levels are left at 70.
class DisplayCatalog {
 public:
  static std::vector<ControlledDisplay> list(const std::vector<platform::DdcBus>& buses,
                                             const std::optional<platform::BacklightDevice>& panel,
                                             const std::vector<platform::Screen>& screens);

  // The first screen with a name that is not a laptop's own panel's.
  static std::optional<std::string> monitorName(const std::vector<platform::Screen>& screens);
};
