#include "display/DdcTransport.h"

#include <algorithm>
#include <string>

#include "display/VcpReply.h"
#include "platform/loop/Log.h"

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

// A Get VCP Feature request for luminance: length byte, opcode, VCP code,
// then the checksum, seeded like the Set command's.
constexpr std::uint8_t kGetVcpFeature = 0x01;
constexpr std::uint8_t kRequestLengthByte = 0x80 | 2;
constexpr std::array<std::uint8_t, 4> kLuminanceRequest = {
    kRequestLengthByte, kGetVcpFeature, kLuminance,
    kChecksumSeed ^ kRequestLengthByte ^ kGetVcpFeature ^ kLuminance};

// DDC/CI gives a monitor this long to prepare its reply before the host reads.
constexpr std::uint32_t kReplyDelayMicroseconds = 40000;

}  // namespace

DdcTransport::DdcTransport(const std::string& libraryPath,
                           std::shared_ptr<platform::DdcBuses> buses,
                           std::shared_ptr<platform::Sleeper> sleeper,
                           std::shared_ptr<platform::Clock> clock)
    : library_(libraryPath),
      buses_(std::move(buses)),
      sleeper_(std::move(sleeper)),
      pacing_(std::move(clock)) {}

DdcTransport::Packet DdcTransport::packet(std::int64_t level) {
  Packet bytes = {kLengthByte,
                  kSetVcpFeature,
                  kLuminance,
                  static_cast<std::uint8_t>(level >> 8),
                  static_cast<std::uint8_t>(level & 0xFF),
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
  const std::vector<platform::DdcBus> buses = buses_->list().buses;
  return std::any_of(buses.begin(), buses.end(),
                     [this](const platform::DdcBus& bus) { return portOpens(bus.number); });
}

bool DdcTransport::portOpens(unsigned bus) {
  IOAVServiceRef object = library_.functionsLoaded() ? library_.open(bus) : nullptr;
  if (object != nullptr) {
    object->release(object);
  }
  return object != nullptr;
}

// The buses are listed before any is written, so the wait for the slowest
// one comes before the level is chosen and the newest level goes out.
std::map<unsigned, bool> DdcTransport::sendDDCBrightness(const LevelsFor& takeLevels) {
  const platform::DdcBusList list = buses_->list();
  if (list.status != 0) {
    takeLevels({});
    platform::logLine("[DisplayManager] IOServiceGetMatchingServices failed: " +
                      std::to_string(list.status));
    return {};
  }
  std::vector<unsigned> buses;
  for (const platform::DdcBus& bus : list.buses) {
    buses.push_back(bus.number);
  }
  pacing_.waitUntilDue(buses);
  const std::map<unsigned, std::int64_t> levels = takeLevels(buses);
  std::map<unsigned, bool> written;
  for (unsigned bus : buses) {
    if (auto level = levels.find(bus); level != levels.end()) {
      const auto maximum = maximums_.find(bus);
      Packet bytes = packet(
          maximum == maximums_.end() ? level->second : scaledLevel(level->second, maximum->second));
      written[bus] = writeToPort(bus, bytes);
    }
  }
  return written;
}

bool DdcTransport::writeToPort(unsigned bus, Packet& bytes) {
  IOAVServiceRef object = library_.open(bus);
  if (object == nullptr) {
    return false;
  }
  const bool accepted = writeWithOneRetry(bus, object, bytes);
  object->release(object);
  return accepted;
}

bool DdcTransport::writeWithOneRetry(unsigned bus, IOAVServiceRef object, Packet& bytes) {
  auto write = [&] {
    const bool accepted =
        library_.writeI2C(object, kDisplayChipAddress, kHostDataAddress, bytes.data(),
                          static_cast<std::uint32_t>(bytes.size())) == kAccepted;
    pacing_.noteMessage(bus);
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

std::optional<Luminance> DdcTransport::readLuminance(unsigned bus) {
  if (!library_.readsAvailable()) {
    return std::nullopt;
  }
  pacing_.waitUntilDue({bus});
  IOAVServiceRef object = library_.open(bus);
  if (object == nullptr) {
    return std::nullopt;
  }
  std::optional<Luminance> luminance = requestLuminance(bus, object);
  object->release(object);
  if (luminance) {
    maximums_[bus] = luminance->maximum;
  }
  return luminance;
}

// Both the request and the read are messages the monitor needs the gap after.
std::optional<Luminance> DdcTransport::requestLuminance(unsigned bus, IOAVServiceRef object) {
  std::array<std::uint8_t, kLuminanceRequest.size()> request = kLuminanceRequest;
  const bool sent = library_.writeI2C(object, kDisplayChipAddress, kHostDataAddress, request.data(),
                                      static_cast<std::uint32_t>(request.size())) == kAccepted;
  pacing_.noteMessage(bus);
  if (!sent) {
    return std::nullopt;
  }
  sleeper_->sleepMicroseconds(kReplyDelayMicroseconds);
  VcpReply::Bytes reply{};
  const bool received = library_.readI2C(object, kDisplayChipAddress, reply.data(),
                                         static_cast<std::uint32_t>(reply.size())) == kAccepted;
  pacing_.noteMessage(bus);
  return received ? VcpReply::luminance(reply) : std::nullopt;
}
