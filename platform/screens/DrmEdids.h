#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// A connected DRM connector ("HDMI-A-1") and its monitor's EDID.
struct ConnectorEdid {
  std::string connector;
  std::vector<std::uint8_t> edid;
};

// The monitors' EDIDs as the kernel shows them in sysfs, readable by every
// user, also where the display server hides them (Xwayland).
class DrmEdids {
 public:
  // The connected connectors under `sysfsRoot` (normally /sys), card by card
  // in connector-name order, each with its EDID; those without one are left
  // out.
  static std::vector<ConnectorEdid> connected(const std::filesystem::path& sysfsRoot);
};

}  // namespace platform
