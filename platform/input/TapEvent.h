#pragma once

#include <cstdint>

namespace platform {

// One input event in the tap's event model: the event types, key codes and
// flag bits that desktop event taps use, so the classification rule reads the
// same values whatever device produced the event.
struct TapEvent {
  std::uint32_t type = 0;
  std::int64_t keyCode = 0;  // key-down and key-up events
  std::uint64_t flags = 0;   // modifier flag bits, for every type
  std::int64_t subtype = 0;  // system-defined events
  std::int64_t data1 = 0;    // system-defined events: key code, state and repeat bit
};

namespace tapevent {

inline constexpr std::uint32_t kKeyDown = 10;
inline constexpr std::uint32_t kKeyUp = 11;
inline constexpr std::uint32_t kSystemDefined = 14;
// Delivered by a tap that its platform switched off.
inline constexpr std::uint32_t kTapDisabledByTimeout = 0xFFFFFFFE;
inline constexpr std::uint32_t kTapDisabledByUserInput = 0xFFFFFFFF;

inline constexpr std::uint64_t maskBit(std::uint32_t type) { return std::uint64_t{1} << type; }

inline constexpr std::uint64_t kFlagShift = 0x20000;
inline constexpr std::uint64_t kFlagControl = 0x40000;
inline constexpr std::uint64_t kFlagOption = 0x80000;
inline constexpr std::uint64_t kFlagCommand = 0x100000;

// System-defined subtype of the auxiliary control buttons (brightness,
// volume, media keys).
inline constexpr std::int64_t kSubtypeAuxControlButtons = 8;
inline constexpr std::int64_t kSpecialKeyBrightnessUp = 2;
inline constexpr std::int64_t kSpecialKeyBrightnessDown = 3;
inline constexpr std::int64_t kSpecialKeyStateDown = 0x0A;
inline constexpr std::int64_t kSpecialKeyStateUp = 0x0B;
inline constexpr std::int64_t kSpecialKeyRepeatBit = 0x1;

// data1 of an auxiliary control button: key code in bits 16-31, state in
// bits 8-15, further flags (bit 0 = repeat) in bits 0-7.
inline constexpr std::int64_t specialKeyData(std::int64_t keyCode, std::int64_t state,
                                             bool repeat) {
  return (keyCode << 16) | (state << 8) | (repeat ? kSpecialKeyRepeatBit : 0);
}

// Key codes of the function keys the brightness keys of some keyboards send.
inline constexpr std::int64_t kKeyCodeF14 = 107;
inline constexpr std::int64_t kKeyCodeF15 = 113;

}  // namespace tapevent

// What becomes of an event after the tap's callback has seen it.
enum class TapVerdict { Pass, Delete };

}  // namespace platform
