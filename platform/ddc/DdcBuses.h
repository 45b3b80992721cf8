#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// An I2C bus that carries DDC/CI to an external monitor: /dev/i2c-<number>.
struct DdcBus {
  unsigned number = 0;
  std::string connector;  // "HDMI-A-1"; empty for an adapter found without a connector.
  friend bool operator==(const DdcBus&, const DdcBus&) = default;
};

struct DdcBusList {
  std::int32_t status = 0;  // 0, or a negative errno when the list could not be read.
  std::vector<DdcBus> buses;
};

// The DDC buses of the monitors connected now, read afresh on every call so
// hot-plugged monitors show up. Any thread.
class DdcBuses {
 public:
  virtual ~DdcBuses() = default;
  virtual DdcBusList list() = 0;
};

}  // namespace platform
