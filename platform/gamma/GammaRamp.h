#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// The 16-bit gamma ramp of `size` entries that dims a channel to `fraction`
// of full scale: entry i is fraction × i / (size − 1) × 65535, rounded. The
// fraction is clamped to 0–1 and a fraction that is not a number counts as
// 0, so no input can wrap around to a bright or dark extreme.
std::vector<std::uint16_t> gammaRamp(std::size_t size, double fraction);

}  // namespace platform
