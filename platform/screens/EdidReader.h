#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace platform {

// Reads what the program needs from a monitor's EDID (base block).
class EdidReader {
 public:
  // The monitor's model name from the display-name descriptor (tag 0xFC),
  // without its line-feed terminator and padding; nothing when the data is
  // not an EDID base block or carries no usable name.
  static std::optional<std::string> modelName(std::span<const std::uint8_t> edid);
};

}  // namespace platform
