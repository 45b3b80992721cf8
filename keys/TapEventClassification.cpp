#include "keys/TapEventClassification.h"

#include <cstdint>

namespace {

using Verdict = TapEventClassification::Verdict;
namespace te = platform::tapevent;

// Key codes that some keyboards send for the brightness keys; unnamed on the
// desktop that defined this event model.
constexpr std::int64_t kKeyCodeBrightnessUp = 144;
constexpr std::int64_t kKeyCodeBrightnessDown = 145;

// Only the low 32 bits of data1 carry the special key; bit 16 is the lowest
// bit of the key code, so masking it off matches codes 2 and 3 together.
constexpr std::int64_t kBrightnessKeyMask = 0xFFFE0000;
constexpr std::int64_t kBrightnessKeyValue = te::kSpecialKeyBrightnessUp << 16;
constexpr std::int64_t kKeyCodeMask = 0xFFFF0000;
constexpr std::int64_t kKeyStateMask = 0xFF00;

bool isFineGrained(std::uint64_t flags) {
  constexpr std::uint64_t kFine = te::kFlagShift | te::kFlagOption;
  return (flags & kFine) == kFine;
}

TapEventClassification report(bool isUp, std::uint64_t flags) {
  return {Verdict::ReportAndDelete, isUp, isFineGrained(flags)};
}

TapEventClassification classifyKeyDown(const platform::TapEvent& event) {
  switch (event.keyCode) {
    case te::kKeyCodeF15:
    case kKeyCodeBrightnessUp:
      return report(true, event.flags);
    case te::kKeyCodeF14:
    case kKeyCodeBrightnessDown:
      return report(false, event.flags);
    default:
      return {};
  }
}

TapEventClassification classifySystemDefined(const platform::TapEvent& event) {
  if (event.subtype != te::kSubtypeAuxControlButtons) {
    return {};
  }
  const std::int64_t data = event.data1;
  if ((data & kBrightnessKeyMask) != kBrightnessKeyValue) {
    return {};
  }
  if ((data & kKeyStateMask) != (te::kSpecialKeyStateDown << 8)) {
    return {Verdict::Delete};
  }
  return report((data & kKeyCodeMask) == kBrightnessKeyValue, event.flags);
}

}  // namespace

TapEventClassification classifyTapEvent(const platform::TapEvent& event) {
  switch (event.type) {
    case te::kTapDisabledByTimeout:
    case te::kTapDisabledByUserInput:
      return {Verdict::ReenableTapAndPass};
    case te::kKeyDown:
      return classifyKeyDown(event);
    case te::kSystemDefined:
      return classifySystemDefined(event);
    default:
      return {};
  }
}
