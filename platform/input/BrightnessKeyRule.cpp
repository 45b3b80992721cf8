#include "platform/input/BrightnessKeyRule.h"

#include <algorithm>

namespace platform {

namespace {

constexpr std::int32_t kRelease = 0;

bool isFine(const InputDevice::KeyBits& held) {
  return (held.test(KEY_LEFTSHIFT) || held.test(KEY_RIGHTSHIFT)) &&
         (held.test(KEY_LEFTALT) || held.test(KEY_RIGHTALT));
}

}  // namespace

bool BrightnessKeyRule::isTaken(std::uint16_t code) {
  return std::ranges::find(kTakenKeys, code) != kTakenKeys.end();
}

bool BrightnessKeyRule::isModifier(std::uint16_t code) {
  return std::ranges::find(kModifierKeys, code) != kModifierKeys.end();
}

std::optional<KeyReport> BrightnessKeyRule::report(std::uint16_t code, std::int32_t value,
                                                   const InputDevice::KeyBits& held) {
  if (value == kRelease) {
    return std::nullopt;
  }
  switch (code) {
    case KEY_BRIGHTNESSUP:
    case KEY_F15:
      return KeyReport{true, isFine(held)};
    case KEY_BRIGHTNESSDOWN:
    case KEY_F14:
      return KeyReport{false, isFine(held)};
    default:
      return std::nullopt;
  }
}

}  // namespace platform
