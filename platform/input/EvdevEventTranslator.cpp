#include "platform/input/EvdevEventTranslator.h"

#include <array>
#include <utility>

namespace platform {

namespace {

namespace te = tapevent;

constexpr std::int32_t kRelease = 0;
constexpr std::int32_t kRepeat = 2;

constexpr std::array<std::pair<std::uint16_t, std::uint64_t>, 8> kModifiers{{
    {KEY_LEFTSHIFT, te::kFlagShift},
    {KEY_RIGHTSHIFT, te::kFlagShift},
    {KEY_LEFTCTRL, te::kFlagControl},
    {KEY_RIGHTCTRL, te::kFlagControl},
    {KEY_LEFTALT, te::kFlagOption},
    {KEY_RIGHTALT, te::kFlagOption},
    {KEY_LEFTMETA, te::kFlagCommand},
    {KEY_RIGHTMETA, te::kFlagCommand},
}};

TapEvent specialKey(std::int64_t specialKeyCode, std::int32_t value, std::uint64_t flags) {
  const std::int64_t state = value == kRelease ? te::kSpecialKeyStateUp : te::kSpecialKeyStateDown;
  TapEvent event;
  event.type = te::kSystemDefined;
  event.flags = flags;
  event.subtype = te::kSubtypeAuxControlButtons;
  event.data1 = te::specialKeyData(specialKeyCode, state, value == kRepeat);
  return event;
}

TapEvent functionKey(std::int64_t keyCode, std::int32_t value, std::uint64_t flags) {
  TapEvent event;
  event.type = value == kRelease ? te::kKeyUp : te::kKeyDown;
  event.keyCode = keyCode;
  event.flags = flags;
  return event;
}

}  // namespace

std::uint64_t EvdevEventTranslator::modifierFlag(std::uint16_t code) {
  for (const auto& [key, flag] : kModifiers) {
    if (key == code) {
      return flag;
    }
  }
  return 0;
}

std::uint64_t EvdevEventTranslator::modifierFlags(const InputDevice::KeyBits& keys) {
  std::uint64_t flags = 0;
  for (const auto& [key, flag] : kModifiers) {
    if (keys.test(key)) {
      flags |= flag;
    }
  }
  return flags;
}

bool EvdevEventTranslator::isTranslated(std::uint16_t code) {
  return code == KEY_BRIGHTNESSUP || code == KEY_BRIGHTNESSDOWN || code == KEY_F14 ||
         code == KEY_F15;
}

std::optional<TapEvent> EvdevEventTranslator::translate(std::uint16_t code, std::int32_t value,
                                                        std::uint64_t flags) {
  switch (code) {
    case KEY_BRIGHTNESSUP:
      return specialKey(te::kSpecialKeyBrightnessUp, value, flags);
    case KEY_BRIGHTNESSDOWN:
      return specialKey(te::kSpecialKeyBrightnessDown, value, flags);
    case KEY_F14:
      return functionKey(te::kKeyCodeF14, value, flags);
    case KEY_F15:
      return functionKey(te::kKeyCodeF15, value, flags);
    default:
      return std::nullopt;
  }
}

}  // namespace platform
