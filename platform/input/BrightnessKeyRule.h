#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/input/InputDevice.h"
#include "platform/keyservice-protocol/KeyReport.h"

namespace platform {

// Which keys the key service takes from the keyboards and what they report.
// The brightness keys, and F14/F15 that some keyboards send in their place,
// never reach the applications; each press or auto-repeat is one step, a fine
// one while Shift and Alt are both held.
class BrightnessKeyRule {
 public:
  static constexpr std::array<std::uint16_t, 4> kTakenKeys{KEY_BRIGHTNESSUP, KEY_BRIGHTNESSDOWN,
                                                           KEY_F14, KEY_F15};
  static constexpr std::array<std::uint16_t, 4> kModifierKeys{KEY_LEFTSHIFT, KEY_RIGHTSHIFT,
                                                              KEY_LEFTALT, KEY_RIGHTALT};

  static bool isTaken(std::uint16_t code);
  static bool isModifier(std::uint16_t code);
  // `value` is evdev's: 0 release, 1 press, 2 auto-repeat. `held` holds the
  // modifier keys down on any keyboard. Empty for releases and other keys.
  static std::optional<KeyReport> report(std::uint16_t code, std::int32_t value,
                                         const InputDevice::KeyBits& held);
};

}  // namespace platform
