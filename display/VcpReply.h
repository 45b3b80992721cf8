#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "display/Luminance.h"

// A monitor's reply to a DDC/CI Get VCP Feature request for luminance
// (VCP 0x10), as the host reads it from the display's address.
class VcpReply {
 public:
  static constexpr std::size_t kLength = 11;
  using Bytes = std::array<std::uint8_t, kLength>;

  // The luminance the reply reports, its current value clamped to its
  // maximum; nullopt when the reply is malformed, its checksum is wrong, the
  // monitor reports an error or a maximum of 0.
  static std::optional<Luminance> luminance(const Bytes& reply);

 private:
  static bool wellFormed(const Bytes& reply);
};
