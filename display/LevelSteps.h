#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

// Brightness levels run from 0 to 100 percent.
inline constexpr std::int64_t kMinimumLevel = 0;
inline constexpr std::int64_t kMaximumLevel = 100;

inline std::int64_t clampedLevel(std::int64_t value) {
  return std::clamp(value, kMinimumLevel, kMaximumLevel);
}

// current + delta without overflowing for any delta.
inline std::int64_t saturatingSum(std::int64_t current, std::int64_t delta) {
  if (delta > 0 && current > std::numeric_limits<std::int64_t>::max() - delta) {
    return std::numeric_limits<std::int64_t>::max();
  }
  if (delta < 0 && current < std::numeric_limits<std::int64_t>::min() - delta) {
    return std::numeric_limits<std::int64_t>::min();
  }
  return current + delta;
}
