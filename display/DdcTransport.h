#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/DisplayServiceLibrary.h"
#include "display/Luminance.h"
#include "display/PortPacing.h"
#include "platform/ddc/DdcBuses.h"
#include "platform/loop/Clock.h"
#include "platform/loop/Sleeper.h"

// Writes brightness levels to the display ports as DDC/CI Set VCP Feature
// commands for luminance (VCP 0x10), on the scale each monitor reported when
// its luminance was read, retrying a refused write once and keeping each
// port's messages the pacing gap apart; and reads a monitor's luminance.
// Apart from functionsAvailable, used from one thread only.
class DdcTransport {
 public:
  DdcTransport(const std::string& libraryPath, std::shared_ptr<platform::DdcBuses> buses,
               std::shared_ptr<platform::Sleeper> sleeper, std::shared_ptr<platform::Clock> clock);

  // Whether the DDC/CI functions were loaded; logs when they were not.
  bool functionsAvailable() const;

  // Whether a monitor could take a level over DDC/CI at all: the functions
  // are loaded and a listed port opens (its bus is ours to use). Writes
  // nothing, so a monitor that refuses DDC/CI is not found out.
  bool anyPortOpens();
  // Whether the port of `bus` opens, the same way.
  bool portOpens(unsigned bus);

  // Lists the buses, waits until each may be written to again, then calls
  // `takeLevels` once with the listed buses (none when the list cannot be
  // read) for the level to send to each (already clamped to 0–100). Returns
  // each bus written with whether it accepted. Blocks up to 30 ms for each
  // port that refuses.
  using LevelsFor =
      std::function<std::map<unsigned, std::int64_t>(const std::vector<unsigned>& listed)>;
  std::map<unsigned, bool> sendDDCBrightness(const LevelsFor& takeLevels);

  // Asks the monitor on `bus` for its luminance with a Get VCP Feature
  // request and reads its reply, keeping the port's pacing; blocks about
  // 40 ms for the reply, more when the port is not yet due. Nullopt when the
  // library cannot read, the port does not open, the request or the read
  // fails or the reply says nothing usable.
  // A reply also sets the scale of every later level sent to `bus`.
  std::optional<Luminance> readLuminance(unsigned bus);

 private:
  using Packet = std::array<std::uint8_t, 6>;

  // The six bytes after the host's source address, checksum included.
  static Packet packet(std::int64_t level);
  bool writeToPort(unsigned bus, Packet& bytes);
  bool writeWithOneRetry(unsigned bus, IOAVServiceRef object, Packet& bytes);
  std::optional<Luminance> requestLuminance(unsigned bus, IOAVServiceRef object);

  DisplayServiceLibrary library_;
  std::shared_ptr<platform::DdcBuses> buses_;
  std::shared_ptr<platform::Sleeper> sleeper_;
  PortPacing pacing_;
  // Each bus's reported maximum; 100 until one is read.
  std::map<unsigned, std::int64_t> maximums_;
};
