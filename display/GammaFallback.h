#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/gamma/GammaControl.h"

// Software dimming for when no display port takes the DDC/CI command: every
// lit output is dimmed to L = max(level, 10) / 100 of its brightness, so even
// level 0 leaves the screen readable. When no output takes it (a compositor
// without gamma control), it says so once in the log.
class GammaFallback {
 public:
  explicit GammaFallback(std::shared_ptr<platform::GammaControl> gamma);

  // `level` is already clamped to 0–100.
  void dim(std::int64_t level);

  // Puts full brightness back once a port has taken the level, so the
  // monitor's own backlight is not dimmed a second time in software.
  void restoreIfDimmed();

 private:
  // Returns how many outputs took the fraction.
  std::size_t applyToOutputs(double fraction);

  std::shared_ptr<platform::GammaControl> gamma_;
  bool dimmed_ = false;
  bool toldNothingDims_ = false;
};
