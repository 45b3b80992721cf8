#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace platform {

// One message between the key service and its client: four bytes, the first
// the protocol version, so a reader never waits for a length it must trust.
struct KeyServiceMessage {
  enum class Kind : std::uint8_t { Accepted = 1, Refused = 2, BrightnessPress = 3 };
  enum class Refusal : std::uint8_t { None = 0, NotSessionOwner = 1, Busy = 2, NoKeyboards = 3 };

  static constexpr std::uint8_t kVersion = 1;
  static constexpr std::size_t kSize = 4;
  using Bytes = std::array<std::uint8_t, kSize>;

  Kind kind = Kind::Accepted;
  Refusal refusal = Refusal::None;
  bool isUp = false;
  bool isFineGrained = false;

  static KeyServiceMessage accepted();
  static KeyServiceMessage refused(Refusal why);
  static KeyServiceMessage press(bool isUp, bool isFineGrained);

  Bytes encode() const;
  // Empty for another version, an unknown kind or any field out of range.
  static std::optional<KeyServiceMessage> decode(const Bytes& bytes);

  bool operator==(const KeyServiceMessage&) const = default;
};

}  // namespace platform
