#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace platform {

// The I2C buses that lead to external monitors, as read from sysfs.
struct DisplayBuses {
  std::int32_t status = 0;  // 0, or a negative errno when sysfs could not be read.
  std::vector<unsigned> buses;
};

// Reads the connected DRM connectors under `sysfsRoot` (normally /sys) and
// takes each one's DDC bus, in order of card, then connector name. Built-in
// panels (eDP, LVDS, DSI) are never listed. When a connected connector shows
// no bus (proprietary drivers, DisplayPort MST), the I2C adapters of display
// controllers and docking stations are listed after them, except adapters
// known to hang or corrupt hardware when probed. Each bus appears once. No
// /sys/class/drm at all is no buses and status 0.
DisplayBuses discoverDisplayBuses(const std::filesystem::path& sysfsRoot);

}  // namespace platform
