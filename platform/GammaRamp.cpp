#include "platform/GammaRamp.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

constexpr double kFullScale = 65535.0;

double sanitized(float value) { return std::isnan(value) ? 0.0 : std::clamp(value, 0.0f, 1.0f); }

double tableAt(double position, std::size_t tableSize, const float* table) {
  const double scaled = position * static_cast<double>(tableSize - 1);
  const auto below = static_cast<std::size_t>(std::floor(scaled));
  if (below + 1 >= tableSize) {
    return sanitized(table[tableSize - 1]);
  }
  const double fraction = scaled - static_cast<double>(below);
  return sanitized(table[below]) +
         (sanitized(table[below + 1]) - sanitized(table[below])) * fraction;
}

}  // namespace

std::vector<std::uint16_t> gammaRampFromTable(std::size_t size, std::size_t tableSize,
                                              const float* table) {
  std::vector<std::uint16_t> ramp(size);
  for (std::size_t i = 0; i < size; ++i) {
    const double position = size > 1 ? static_cast<double>(i) / static_cast<double>(size - 1) : 0;
    ramp[i] =
        static_cast<std::uint16_t>(std::lround(tableAt(position, tableSize, table) * kFullScale));
  }
  return ramp;
}

bool isFullRangeTable(std::size_t tableSize, const float* table) {
  return tableSize == 2 && table[0] == 0.0f && table[1] == 1.0f;
}

}  // namespace platform
