#include "display/DdcTransport.h"

#include <string>

#include "platform/Log.h"

namespace {

// The display's 7-bit DDC/CI address (0x6E as an 8-bit write address) and
// the host's source address, which the write puts before the packet.
constexpr std::uint32_t kDisplayChipAddress = 0x37;
constexpr std::uint32_t kHostDataAddress = 0x51;

// 0x80 marks the length byte; opcode, VCP code and two value bytes follow.
constexpr std::uint8_t kLengthByte = 0x80 | 4;
constexpr std::uint8_t kSetVcpFeature = 0x03;
constexpr std::uint8_t kLuminance = 0x10;

// The checksum covers both addresses: 0x6E XOR 0x51.
constexpr std::uint8_t kChecksumSeed = 0x3F;

// A monitor that refuses a write is usually still busy with the previous
// command; DDC/CI asks hosts to leave it this long before talking again.
constexpr std::uint32_t kRefusedWritePauseMicroseconds = 15000;

constexpr std::int32_t kAccepted = 0;

}  // namespace

DdcTransport::DdcTransport(const std::string& libraryPath,
                           std::shared_ptr<platform::DisplayPortRegistry> ports,
                           std::shared_ptr<platform::Sleeper> sleeper,
                           std::shared_ptr<platform::Clock> clock)
    : library_(libraryPath),
      ports_(std::move(ports)),
      sleeper_(std::move(sleeper)),
      pacing_(std::move(clock)) {}

DdcTransport::Packet DdcTransport::packet(std::int64_t level) {
  Packet bytes = {kLengthByte, kSetVcpFeature, kLuminance, 0x00, static_cast<std::uint8_t>(level),
                  0x00};
  std::uint8_t checksum = kChecksumSeed;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    checksum ^= bytes[i];
  }
  bytes.back() = checksum;
  return bytes;
}

bool DdcTransport::functionsAvailable() const {
  if (!library_.functionsLoaded()) {
    platform::logLine("[DisplayManager] IOAVService functions not available");
  }
  return library_.functionsLoaded();
}

bool DdcTransport::anyPortOpens() {
  std::uint32_t iterator = 0;
  if (!library_.functionsLoaded() || ports_->getMatchingServices(iterator) != 0) {
    return false;
  }
  bool opened = false;
  for (std::uint32_t service : drain(iterator)) {
    IOAVServiceRef object = opened ? nullptr : library_.createService(service);
    if (object != nullptr) {
      object->release(object);
      opened = true;
    }
    ports_->objectRelease(service);
  }
  ports_->objectRelease(iterator);
  return opened;
}

bool DdcTransport::sendDDCBrightness(const std::function<std::int64_t()>& takeLevel) {
  std::uint32_t iterator = 0;
  const std::int32_t status = ports_->getMatchingServices(iterator);
  if (status != 0) {
    takeLevel();
    platform::logLine("[DisplayManager] IOServiceGetMatchingServices failed: " +
                      std::to_string(status));
    return false;
  }
  const std::vector<std::uint32_t> services = drain(iterator);
  pacing_.waitUntilDue(services);
  Packet bytes = packet(takeLevel());
  bool accepted = false;
  for (std::uint32_t service : services) {
    accepted = writeToPort(service, bytes) || accepted;
  }
  ports_->objectRelease(iterator);
  return accepted;
}

// The ids are taken before any port is written, so the wait for the slowest
// port comes before the level is chosen and the newest level goes out.
std::vector<std::uint32_t> DdcTransport::drain(std::uint32_t iterator) {
  std::vector<std::uint32_t> services;
  while (std::uint32_t service = ports_->iteratorNext(iterator)) {
    services.push_back(service);
  }
  return services;
}

bool DdcTransport::writeToPort(std::uint32_t service, Packet& bytes) {
  bool accepted = false;
  if (IOAVServiceRef object = library_.createService(service)) {
    accepted = writeWithOneRetry(service, object, bytes);
    object->release(object);
  }
  ports_->objectRelease(service);
  return accepted;
}

bool DdcTransport::writeWithOneRetry(std::uint32_t service, IOAVServiceRef object, Packet& bytes) {
  auto write = [&] {
    const bool accepted =
        library_.writeI2C(object, kDisplayChipAddress, kHostDataAddress, bytes.data(),
                          static_cast<std::uint32_t>(bytes.size())) == kAccepted;
    pacing_.noteMessage(service);
    return accepted;
  };
  if (write()) {
    return true;
  }
  sleeper_->sleepMicroseconds(kRefusedWritePauseMicroseconds);
  if (write()) {
    return true;
  }
  sleeper_->sleepMicroseconds(kRefusedWritePauseMicroseconds);
  return false;
}
