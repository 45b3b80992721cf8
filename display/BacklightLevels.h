#pragma once

#include <cstdint>

// Converts between the program's levels 0-100 and a backlight device's
// values 0..maximum, rounding to the nearest. No level turns the panel off:
// the lowest value sent is 1, the lowest visible step.
class BacklightLevels {
 public:
  explicit BacklightLevels(std::int64_t maximum);

  std::int64_t valueForLevel(std::int64_t level) const;
  std::int64_t levelForValue(std::int64_t value) const;

 private:
  std::int64_t maximum_;
};
