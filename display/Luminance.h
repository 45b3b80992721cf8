#pragma once

#include <cstdint>

// A monitor's luminance as it reports it over DDC/CI: its current value on
// its own scale of 0 to `maximum`. Monitors differ in `maximum`; most say 100.
struct Luminance {
  std::int64_t current = 0;
  std::int64_t maximum = 0;

  // The current value as a level of 0–100, rounded. Expects 0 <= current <=
  // maximum and maximum > 0, as DdcTransport::readLuminance gives.
  std::int64_t level() const;

  friend bool operator==(const Luminance&, const Luminance&) = default;
};

// A level of 0–100 on the scale of a monitor whose luminance runs 0 to
// `maximum` (> 0), rounded: the value to send it.
std::int64_t scaledLevel(std::int64_t level, std::int64_t maximum);
