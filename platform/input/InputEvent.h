#pragma once

#include <cstdint>

namespace platform {

// One evdev event without its time stamp (the kernel stamps what a virtual
// device writes).
struct InputEvent {
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;

  bool operator==(const InputEvent&) const = default;
};

}  // namespace platform
