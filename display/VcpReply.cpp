#include "display/VcpReply.h"

#include <algorithm>

namespace {

// The display's source address (0x6E), the length byte (0x80 | 8 bytes that
// follow before the checksum), the Get VCP Feature Reply opcode, a result
// code, then the VCP code it answers.
constexpr std::uint8_t kDisplaySourceAddress = 0x6E;
constexpr std::uint8_t kLengthByte = 0x80 | 8;
constexpr std::uint8_t kGetVcpFeatureReply = 0x02;
constexpr std::uint8_t kNoError = 0x00;
constexpr std::uint8_t kLuminance = 0x10;

// A reply's checksum also covers the host's address as the display sees it
// on a read: 0x50.
constexpr std::uint8_t kChecksumSeed = 0x50;

// Where each byte sits in the reply.
namespace at {
enum : std::size_t {
  source,
  length,
  opcode,
  result,
  vcpCode,
  type,
  maximumHigh,
  maximumLow,
  currentHigh,
  currentLow,
  checksum,
};
}  // namespace at

std::int64_t bigEndian(std::uint8_t high, std::uint8_t low) { return (high << 8) | low; }

}  // namespace

bool VcpReply::wellFormed(const Bytes& reply) {
  std::uint8_t checksum = kChecksumSeed;
  for (std::size_t i = 0; i < at::checksum; ++i) {
    checksum ^= reply[i];
  }
  return reply[at::source] == kDisplaySourceAddress && reply[at::length] == kLengthByte &&
         reply[at::opcode] == kGetVcpFeatureReply && reply[at::vcpCode] == kLuminance &&
         reply[at::checksum] == checksum;
}

std::optional<Luminance> VcpReply::luminance(const Bytes& reply) {
  if (!wellFormed(reply) || reply[at::result] != kNoError) {
    return std::nullopt;
  }
  const std::int64_t maximum = bigEndian(reply[at::maximumHigh], reply[at::maximumLow]);
  if (maximum == 0) {
    return std::nullopt;
  }
  const std::int64_t current = bigEndian(reply[at::currentHigh], reply[at::currentLow]);
  return Luminance{std::min(current, maximum), maximum};
}
