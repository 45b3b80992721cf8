#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/screens/DrmEdids.h"
#include "platform/screens/MutterMonitors.h"

namespace platform {

// The monitor behind an X output: its connector and, when known, its model.
struct OutputMonitor {
  std::string connector;
  std::optional<std::string> model;
};

// Finds the monitor behind an X output that carries no EDID, as Xwayland's
// outputs ("XWAYLAND0") do: from GNOME's monitors when Mutter runs, else from
// the kernel's connectors.
class OutputMonitors {
 public:
  // Mutter's monitors and the connected connectors in /sys.
  static OutputMonitors current();

  OutputMonitors(std::vector<MutterMonitor> mutter, std::vector<ConnectorEdid> drm)
      : mutter_(std::move(mutter)), drm_(std::move(drm)) {}

  // Mutter's monitor whose logical monitor starts at the output's origin (or
  // its only one); else the connector of the output's name; else the first
  // connected external monitor. Nothing when no monitor is known.
  std::optional<OutputMonitor> find(const std::string& output, int x, int y) const;

 private:
  std::vector<MutterMonitor> mutter_;
  std::vector<ConnectorEdid> drm_;
};

}  // namespace platform
