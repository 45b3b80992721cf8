#include "display/BacklightLevels.h"

#include <algorithm>

namespace {

constexpr std::int64_t kPercent = 100;
constexpr std::int64_t kLowestValue = 1;

// a * b / c rounded half up, for non-negative values.
std::int64_t scaled(std::int64_t a, std::int64_t b, std::int64_t c) { return (a * b + c / 2) / c; }

}  // namespace

std::int64_t BacklightLevels::toValue(std::int64_t level, std::int64_t maximum) {
  if (maximum <= 0) {
    return 0;
  }
  return std::clamp(scaled(std::clamp<std::int64_t>(level, 0, kPercent), maximum, kPercent),
                    std::min(kLowestValue, maximum), maximum);
}

std::int64_t BacklightLevels::toLevel(std::int64_t value, std::int64_t maximum) {
  if (maximum <= 0) {
    return 0;
  }
  return scaled(std::clamp<std::int64_t>(value, 0, maximum), kPercent, maximum);
}
