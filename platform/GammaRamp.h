#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// The 16-bit gamma ramp of `size` entries for one channel's transfer table of
// `tableSize` values in 0–1 (tableSize ≥ 1): entry i is the table linearly
// interpolated at i / (size − 1). Values outside 0–1 are clamped and a value
// that is not a number counts as 0, so no input can wrap around to a bright
// or dark extreme.
std::vector<std::uint16_t> gammaRampFromTable(std::size_t size, std::size_t tableSize,
                                              const float* table);

// Whether a channel's table is {0, 1}: no dimming at all.
bool isFullRangeTable(std::size_t tableSize, const float* table);

}  // namespace platform
