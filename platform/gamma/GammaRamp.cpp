#include "platform/gamma/GammaRamp.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

constexpr double kFullScale = 65535.0;

}  // namespace

std::vector<std::uint16_t> gammaRamp(std::size_t size, double fraction) {
  // Single precision, as the ramps have always been computed: a level of 30
  // still tops out at 19661 rather than 19660.
  const double top =
      static_cast<float>(std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0));
  std::vector<std::uint16_t> ramp(size);
  for (std::size_t i = 0; i < size; ++i) {
    const double position = size > 1 ? static_cast<double>(i) / static_cast<double>(size - 1) : 0;
    ramp[i] = static_cast<std::uint16_t>(std::lround(top * position * kFullScale));
  }
  return ramp;
}

}  // namespace platform
