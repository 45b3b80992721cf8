#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/DisplayTransferTables.h"

// Software dimming for when no display port takes the DDC/CI command: every
// active display gets the linear transfer table {0.0, L}, L = max(level, 10)
// / 100, so even level 0 leaves the screen readable. When no display takes
// the table (a compositor without gamma control), it says so once in the log.
class GammaFallback {
 public:
  explicit GammaFallback(std::shared_ptr<platform::DisplayTransferTables> tables);

  // `level` is already clamped to 0–100.
  void dim(std::int64_t level);

  // Puts the full table {0.0, 1.0} back once a port has taken the level, so
  // the monitor's own backlight is not dimmed a second time in software.
  void restoreIfDimmed();

 private:
  // Returns how many displays took the table.
  std::size_t applyToActiveDisplays(float top);

  std::shared_ptr<platform::DisplayTransferTables> tables_;
  bool dimmed_ = false;
  bool toldNothingDims_ = false;
};
