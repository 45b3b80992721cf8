#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "display/DisplayServiceLibrary.h"
#include "platform/DisplayPortRegistry.h"
#include "platform/Sleeper.h"

// Writes a brightness level to every display port as a DDC/CI Set VCP
// Feature command for luminance (VCP 0x10), retrying a refused write once.
class DdcTransport {
 public:
  DdcTransport(const std::string& libraryPath, std::shared_ptr<platform::DisplayPortRegistry> ports,
               std::shared_ptr<platform::Sleeper> sleeper);

  // `level` is already clamped to 0–100. True when at least one port
  // accepted a write. Blocks up to 30 ms for each port that refuses.
  bool sendDDCBrightness(std::int64_t level);

 private:
  using Packet = std::array<std::uint8_t, 6>;

  // The six bytes after the host's source address, checksum included.
  static Packet packet(std::int64_t level);
  bool writeWithOneRetry(IOAVServiceRef object, Packet& bytes);

  DisplayServiceLibrary library_;
  std::shared_ptr<platform::DisplayPortRegistry> ports_;
  std::shared_ptr<platform::Sleeper> sleeper_;
};
