#pragma once

#include <string>
#include <vector>

namespace platform {

// A monitor as GNOME's compositor reports it: its connector ("DP-2"), its
// product (the EDID's model name, else a product code) and the origin of the
// logical monitor that shows it.
struct MutterMonitor {
  std::string connector;
  std::string product;
  int x = 0;
  int y = 0;
};

// GNOME's monitors from Mutter's display configuration on the session bus,
// which knows them also where Xwayland's outputs carry no EDID.
class MutterMonitors {
 public:
  // The monitors in use; none when Mutter does not answer.
  static std::vector<MutterMonitor> current();
};

}  // namespace platform
