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
  // Manufacturer, product code and serial number, "DEL-41071-808530508":
  // the same for the same monitor on any connector, different for two
  // monitors of one model. Nothing when the data is not an EDID base block.
  static std::optional<std::string> identity(std::span<const std::uint8_t> edid);
};

}  // namespace platform
