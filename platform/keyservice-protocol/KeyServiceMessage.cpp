#include "platform/keyservice-protocol/KeyServiceMessage.h"

namespace platform {

namespace {

constexpr std::uint8_t kUpBit = 0x1;
constexpr std::uint8_t kFineBit = 0x2;
constexpr std::uint8_t kPressBits = kUpBit | kFineBit;

}  // namespace

KeyServiceMessage KeyServiceMessage::accepted() { return {}; }

KeyServiceMessage KeyServiceMessage::refused(Refusal why) {
  return {Kind::Refused, why, false, false};
}

KeyServiceMessage KeyServiceMessage::press(bool isUp, bool isFineGrained) {
  return {Kind::BrightnessPress, Refusal::None, isUp, isFineGrained};
}

KeyServiceMessage::Bytes KeyServiceMessage::encode() const {
  std::uint8_t value = 0;
  if (kind == Kind::Refused) {
    value = static_cast<std::uint8_t>(refusal);
  } else if (kind == Kind::BrightnessPress) {
    value = (isUp ? kUpBit : 0) | (isFineGrained ? kFineBit : 0);
  }
  return {kVersion, static_cast<std::uint8_t>(kind), value, 0};
}

std::optional<KeyServiceMessage> KeyServiceMessage::decode(const Bytes& bytes) {
  const std::uint8_t value = bytes[2];
  if (bytes[0] != kVersion || bytes[3] != 0) {
    return std::nullopt;
  }
  switch (static_cast<Kind>(bytes[1])) {
    case Kind::Accepted:
      return value == 0 ? std::optional(accepted()) : std::nullopt;
    case Kind::Refused:
      if (value >= static_cast<std::uint8_t>(Refusal::NotSessionOwner) &&
          value <= static_cast<std::uint8_t>(Refusal::NoKeyboards)) {
        return refused(static_cast<Refusal>(value));
      }
      return std::nullopt;
    case Kind::BrightnessPress:
      if ((value & ~kPressBits) != 0) {
        return std::nullopt;
      }
      return press((value & kUpBit) != 0, (value & kFineBit) != 0);
  }
  return std::nullopt;
}

}  // namespace platform
