#pragma once

#include <filesystem>

#include "platform/ddc/DdcBuses.h"

namespace platform {

// Reads the connected DRM connectors under `sysfsRoot` (normally /sys) and
// takes each one's DDC bus, in order of card, then connector name. Built-in
// panels (eDP, LVDS, DSI) are never listed. When a connected connector shows
// no bus (proprietary drivers, DisplayPort MST), the I2C adapters of display
// controllers and docking stations are listed after them, except adapters
// known to hang or corrupt hardware when probed. Each bus appears once. No
// /sys/class/drm at all is no buses and status 0.
class SysfsDdcBuses : public DdcBuses {
 public:
  explicit SysfsDdcBuses(std::filesystem::path sysfsRoot = "/sys");
  DdcBusList list() override;

 private:
  const std::filesystem::path sysfsRoot_;
};

}  // namespace platform
