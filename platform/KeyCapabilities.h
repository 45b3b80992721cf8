#pragma once

#include <string_view>

#include "platform/InputDevice.h"

namespace platform {

// The keys an input device can send, as sysfs shows them to any user.
class KeyCapabilities {
 public:
  // `text` is capabilities/key: hexadecimal words of the kernel's long size,
  // most significant first, separated by spaces. Unreadable text gives none.
  static InputDevice::KeyBits parse(std::string_view text);
};

}  // namespace platform
