#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform {

// The EDIDs of the X server's outputs, read from XRandR's "EDID" output
// property, keyed by output (connector) name. Empty when the application does
// not run on X11 or the server has no RandR.
class XRandrEdids {
 public:
  static std::map<std::string, std::vector<std::uint8_t>> byConnector();
};

}  // namespace platform
