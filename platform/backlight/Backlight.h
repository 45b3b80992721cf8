#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// A kernel backlight device: /sys/class/backlight/<name>, which lights the
// panel on `connector`.
struct BacklightDevice {
  std::string name;       // "intel_backlight"
  std::string connector;  // "eDP-1"
  std::int64_t maximum = 0;
  std::int64_t brightness = 0;
  friend bool operator==(const BacklightDevice&, const BacklightDevice&) = default;
};

// The built-in panel's backlight, changed on the user's behalf by the login
// manager, so the program needs no privilege for it.
class Backlight {
 public:
  virtual ~Backlight() = default;
  // The built-in panel's device, read afresh: nothing when no built-in panel
  // (eDP, LVDS, DSI connector) is connected or no backlight device exists.
  // Any thread.
  virtual std::optional<BacklightDevice> builtInPanel() = 0;
  // Asks for `value` (0..maximum) without waiting for the answer; main thread.
  virtual void setBrightness(const std::string& name, std::int64_t value) = 0;
};

}  // namespace platform
