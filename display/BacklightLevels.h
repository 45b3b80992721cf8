#pragma once

#include <cstdint>

// Levels 0–100 on a backlight device's own range 0..maximum.
class BacklightLevels {
 public:
  // Rounded, and never below 1: level 0 keeps the panel readable, as the
  // desktop's own keys do, instead of switching it off.
  static std::int64_t toValue(std::int64_t level, std::int64_t maximum);
  static std::int64_t toLevel(std::int64_t value, std::int64_t maximum);
};
