#pragma once

#include <linux/input.h>

#include <cstdint>

#include "platform/InputEvent.h"

// The pieces input scripts are written in: key and scan-code events and the
// frame end that closes each report.
namespace scripted {

inline platform::InputEvent key(std::uint16_t code, std::int32_t value) {
  return {EV_KEY, code, value};
}
inline platform::InputEvent scan(std::int32_t value) { return {EV_MSC, MSC_SCAN, value}; }
inline const platform::InputEvent kSyn{EV_SYN, SYN_REPORT, 0};

}  // namespace scripted
