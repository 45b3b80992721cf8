#pragma once

#include <cstdint>
#include <optional>

#include "platform/input/InputDevice.h"
#include "platform/input/TapEvent.h"

namespace platform {

// Translates evdev key events into the tap's event model. Only the keys the
// brightness tap can ever take are translated; every other key passes
// untouched without being looked at.
class EvdevEventTranslator {
 public:
  // The flag bit a modifier key sets while it is down, or 0 for other keys.
  static std::uint64_t modifierFlag(std::uint16_t code);
  // The flag bits of the modifier keys in `keys`.
  static std::uint64_t modifierFlags(const InputDevice::KeyBits& keys);
  static bool isTranslated(std::uint16_t code);
  // `value` is evdev's: 0 release, 1 press, 2 auto-repeat.
  static std::optional<TapEvent> translate(std::uint16_t code, std::int32_t value,
                                           std::uint64_t flags);
};

}  // namespace platform
