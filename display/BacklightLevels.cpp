#include "display/BacklightLevels.h"

#include <algorithm>

namespace {
constexpr std::int64_t kHighestLevel = 100;
constexpr std::int64_t kLowestVisibleValue = 1;
}  // namespace

BacklightLevels::BacklightLevels(std::int64_t maximum)
    : maximum_(std::max<std::int64_t>(maximum, 0)) {}

std::int64_t BacklightLevels::valueForLevel(std::int64_t level) const {
  const std::int64_t clamped = std::clamp<std::int64_t>(level, 0, kHighestLevel);
  const std::int64_t value = (clamped * maximum_ + kHighestLevel / 2) / kHighestLevel;
  return std::clamp(value, std::min(kLowestVisibleValue, maximum_), maximum_);
}

std::int64_t BacklightLevels::levelForValue(std::int64_t value) const {
  if (maximum_ == 0) {
    return 0;
  }
  const std::int64_t clamped = std::clamp<std::int64_t>(value, 0, maximum_);
  return (clamped * kHighestLevel + maximum_ / 2) / maximum_;
}
